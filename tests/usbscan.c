// Test-only stand-in for the still-image USB driver: \\.\Usbscan0 a sibling
// model (0E7A:41C4), \\.\Usbscan1 the printer (0E7A:41C5), pipes 0 to 2 each.
// Writes go to C:\devices\scan<N>-<pipe>.bin, at most 16 KiB a write as a USB
// driver may take them. Wine hands a device no trailing path, so each
// \Device\Usbscan<N> is an object directory holding one device per pipe.
#include <ntddk.h>

static NTSTATUS NTAPI Serve(PDEVICE_OBJECT device, PIRP irp) {
    const WCHAR* pipe = device->DeviceExtension; // device number, pipe number
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    USHORT* buffer = irp->AssociatedIrp.SystemBuffer;
    NTSTATUS status = STATUS_SUCCESS;
    ULONG length = 0;
    if (stack->MajorFunction == IRP_MJ_DEVICE_CONTROL &&
        stack->Parameters.DeviceIoControl.IoControlCode != 0x80002018) {
        status = STATUS_INVALID_DEVICE_REQUEST;
    } else if (stack->MajorFunction == IRP_MJ_DEVICE_CONTROL &&
               stack->Parameters.DeviceIoControl.OutputBufferLength < 8) {
        status = STATUS_BUFFER_TOO_SMALL; // as a driver refuses a short answer buffer
    } else if (stack->MajorFunction == IRP_MJ_DEVICE_CONTROL) {
        buffer[0] = 0x0E7A; // the descriptor, 8 bytes
        buffer[1] = pipe[0] == L'0' ? 0x41C4 : 0x41C5;
        buffer[2] = 0; // release and language: not looked at
        buffer[3] = 0;
        length = 8;
    } else if (stack->MajorFunction == IRP_MJ_WRITE) {
        WCHAR path[] = L"\\??\\C:\\devices\\scanN-P.bin";
        path[19] = pipe[0];
        path[21] = pipe[1];
        UNICODE_STRING name;
        OBJECT_ATTRIBUTES attributes;
        IO_STATUS_BLOCK io;
        HANDLE file;
        RtlInitUnicodeString(&name, path);
        InitializeObjectAttributes(&attributes, &name, OBJ_KERNEL_HANDLE, NULL, NULL);
        length = stack->Parameters.Write.Length > 16384 ? 16384 : stack->Parameters.Write.Length;
        status = ZwCreateFile(&file, FILE_APPEND_DATA | SYNCHRONIZE, &attributes, &io, NULL, 0,
                              FILE_SHARE_READ, FILE_OPEN_IF,
                              FILE_SYNCHRONOUS_IO_NONALERT | FILE_NON_DIRECTORY_FILE, NULL, 0);
        if (NT_SUCCESS(status)) {
            status = ZwWriteFile(file, NULL, NULL, NULL, &io, buffer, length, NULL, NULL);
            ZwClose(file);
        }
    }
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = NT_SUCCESS(status) ? length : 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
    (void)registryPath;
    driver->MajorFunction[IRP_MJ_CREATE] = Serve;
    driver->MajorFunction[IRP_MJ_CLEANUP] = Serve;
    driver->MajorFunction[IRP_MJ_CLOSE] = Serve;
    driver->MajorFunction[IRP_MJ_WRITE] = Serve;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = Serve;
    NTSTATUS status = STATUS_SUCCESS;
    for (WCHAR n = L'0'; n <= L'1' && NT_SUCCESS(status); ++n) {
        WCHAR path[] = L"\\Device\\UsbscanN\\P";
        WCHAR link[] = L"\\DosDevices\\UsbscanN";
        path[15] = n;
        link[19] = n;
        UNICODE_STRING name, linkName;
        OBJECT_ATTRIBUTES attributes;
        HANDLE directory;
        RtlInitUnicodeString(&name, path);
        name.Length -= 2 * sizeof(WCHAR); // \Device\UsbscanN
        RtlInitUnicodeString(&linkName, link);
        InitializeObjectAttributes(&attributes, &name, OBJ_KERNEL_HANDLE, NULL, NULL);
        status = ZwCreateDirectoryObject(&directory, DIRECTORY_ALL_ACCESS, &attributes);
        if (NT_SUCCESS(status)) {
            status = IoCreateSymbolicLink(&linkName, &name);
        }
        for (path[17] = L'0'; path[17] <= L'2' && NT_SUCCESS(status); ++path[17]) {
            PDEVICE_OBJECT device;
            RtlInitUnicodeString(&name, path);
            status = IoCreateDevice(driver, 2 * sizeof(WCHAR), &name, FILE_DEVICE_UNKNOWN, 0, FALSE,
                                    &device);
            if (NT_SUCCESS(status)) {
                ((WCHAR*)device->DeviceExtension)[0] = n;
                ((WCHAR*)device->DeviceExtension)[1] = path[17];
                device->Flags = (device->Flags | DO_BUFFERED_IO) & ~DO_DEVICE_INITIALIZING;
            }
        }
    }
    return status;
}

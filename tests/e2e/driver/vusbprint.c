// Stand-in for the USB printing driver: one printer device whose interface
// link is named by the service key's "InterfaceLink" value (the device path
// that SetupAPI hands out, without its \\?\ prefix). Writes go to the
// "print" endpoint files (vdev.h).
#include "vdev.h"

static const char endpoint[] = "print";
static UNICODE_STRING linkName;
static WCHAR linkBuffer[160];

static NTSTATUS NTAPI DispatchWrite(PDEVICE_OBJECT device, PIRP irp) {
    (void)device;
    ULONG length = IoGetCurrentIrpStackLocation(irp)->Parameters.Write.Length;
    NTSTATUS status = SinkWrite(endpoint, RequestBuffer(irp), length);
    return CompleteRequest(irp, status, NT_SUCCESS(status) ? length : 0);
}

static NTSTATUS NTAPI DispatchUnsupported(PDEVICE_OBJECT device, PIRP irp) {
    (void)device;
    return CompleteRequest(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING servicePath) {
    ULONG bytes = ReadServiceValue(servicePath, L"InterfaceLink", linkBuffer + 12,
                                   sizeof(linkBuffer) - 13 * sizeof(WCHAR));
    if (bytes < 2 * sizeof(WCHAR))
        return STATUS_OBJECT_NAME_NOT_FOUND;
    RtlCopyMemory(linkBuffer, L"\\DosDevices\\", 12 * sizeof(WCHAR));
    linkBuffer[12 + bytes / sizeof(WCHAR)] = 0;
    RtlInitUnicodeString(&linkName, linkBuffer);

    UNICODE_STRING deviceName;
    RtlInitUnicodeString(&deviceName, L"\\Device\\VirtualUsbPrint0");
    PDEVICE_OBJECT device;
    NTSTATUS status =
        IoCreateDevice(driver, 0, &deviceName, FILE_DEVICE_UNKNOWN, 0, FALSE, &device);
    if (!NT_SUCCESS(status))
        return status;
    device->Flags |= DO_BUFFERED_IO;
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    status = IoCreateSymbolicLink(&linkName, &deviceName);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(device);
        return status;
    }
    SetDispatchTable(driver, DispatchWrite, DispatchUnsupported);
    return STATUS_SUCCESS;
}

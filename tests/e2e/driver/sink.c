// File side of the virtual endpoints: the sink, the write log and the
// control files the harness sets to plug, unplug and slow the device.
#include "vdev.h"

#define STATUS_UNPLUGGED ((NTSTATUS)0xC000009DL) // STATUS_DEVICE_NOT_CONNECTED

static void BuildPath(WCHAR* path, ULONG capacity, const char* endpoint, const char* ext) {
    static const WCHAR folder[] = L"\\??\\C:\\vprinter\\";
    ULONG n = 0;
    for (const WCHAR* f = folder; *f && n + 1 < capacity; ++f)
        path[n++] = *f;
    for (const char* e = endpoint; *e && n + 1 < capacity; ++e)
        path[n++] = (WCHAR)*e;
    if (n + 1 < capacity)
        path[n++] = L'.';
    for (const char* e = ext; *e && n + 1 < capacity; ++e)
        path[n++] = (WCHAR)*e;
    path[n] = 0;
}

static NTSTATUS OpenEndpointFile(const char* endpoint, const char* ext, ACCESS_MASK access,
                                 ULONG disposition, HANDLE* file) {
    WCHAR path[96];
    UNICODE_STRING name;
    OBJECT_ATTRIBUTES attributes;
    IO_STATUS_BLOCK io;
    BuildPath(path, sizeof(path) / sizeof(path[0]), endpoint, ext);
    RtlInitUnicodeString(&name, path);
    InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, NULL,
                               NULL);
    return ZwCreateFile(file, access | SYNCHRONIZE, &attributes, &io, NULL, FILE_ATTRIBUTE_NORMAL,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, disposition,
                        FILE_SYNCHRONOUS_IO_NONALERT | FILE_NON_DIRECTORY_FILE, NULL, 0);
}

static BOOLEAN FileExists(const char* endpoint, const char* ext) {
    HANDLE file;
    if (!NT_SUCCESS(OpenEndpointFile(endpoint, ext, FILE_READ_ATTRIBUTES, FILE_OPEN, &file)))
        return FALSE;
    ZwClose(file);
    return TRUE;
}

static void CreateMarker(const char* endpoint, const char* ext) {
    HANDLE file;
    if (NT_SUCCESS(OpenEndpointFile(endpoint, ext, FILE_WRITE_DATA, FILE_OPEN_IF, &file)))
        ZwClose(file);
}

static BOOLEAN ReadNumber(const char* endpoint, const char* ext, ULONG* value) {
    HANDLE file;
    IO_STATUS_BLOCK io;
    char text[24];
    if (!NT_SUCCESS(OpenEndpointFile(endpoint, ext, FILE_READ_DATA, FILE_OPEN, &file)))
        return FALSE;
    NTSTATUS status = ZwReadFile(file, NULL, NULL, NULL, &io, text, sizeof(text) - 1, NULL, NULL);
    ZwClose(file);
    if (!NT_SUCCESS(status))
        return FALSE;
    ULONG number = 0, digits = 0;
    for (ULONG i = 0; i < io.Information && text[i] >= '0' && text[i] <= '9'; ++i, ++digits)
        number = number * 10 + (ULONG)(text[i] - '0');
    *value = number;
    return digits > 0;
}

static LONGLONG FileSize(HANDLE file) {
    IO_STATUS_BLOCK io;
    FILE_STANDARD_INFORMATION info;
    if (!NT_SUCCESS(
            ZwQueryInformationFile(file, &io, &info, sizeof(info), FileStandardInformation)))
        return -1;
    return info.EndOfFile.QuadPart;
}

static LONGLONG SinkSize(const char* endpoint) {
    HANDLE file;
    if (!NT_SUCCESS(OpenEndpointFile(endpoint, "bin", FILE_READ_ATTRIBUTES, FILE_OPEN, &file)))
        return 0;
    LONGLONG size = FileSize(file);
    ZwClose(file);
    return size;
}

static NTSTATUS AppendTo(const char* endpoint, const char* ext, const void* data, ULONG length) {
    HANDLE file;
    IO_STATUS_BLOCK io;
    NTSTATUS status = OpenEndpointFile(endpoint, ext, FILE_READ_ATTRIBUTES | FILE_WRITE_DATA,
                                       FILE_OPEN_IF, &file);
    if (!NT_SUCCESS(status))
        return status;
    LARGE_INTEGER offset;
    offset.QuadPart = FileSize(file);
    status = offset.QuadPart < 0
                 ? STATUS_UNSUCCESSFUL
                 : ZwWriteFile(file, NULL, NULL, NULL, &io, (PVOID)data, length, &offset, NULL);
    ZwClose(file);
    return status;
}

static void LogWrite(const char* endpoint, ULONG length, BOOLEAN accepted) {
    char line[32];
    char digits[12];
    ULONG n = 0, d = 0;
    do {
        digits[d++] = (char)('0' + length % 10);
        length /= 10;
    } while (length);
    while (d)
        line[n++] = digits[--d];
    const char* word = accepted ? " ok\n" : " refused\n";
    while (*word)
        line[n++] = *word++;
    AppendTo(endpoint, "log", line, n);
}

NTSTATUS SinkWrite(const char* endpoint, const void* data, ULONG length) {
    // Every write takes its time, a refused one too: a printer that has
    // gone away fails the transfer in flight only after a while.
    ULONG limit, delay;
    if (ReadNumber(endpoint, "delay", &delay) && delay > 0) {
        LARGE_INTEGER interval;
        interval.QuadPart = -(LONGLONG)delay * 10000;
        KeDelayExecutionThread(KernelMode, FALSE, &interval);
    }
    if (!FileExists(endpoint, "gone") && ReadNumber(endpoint, "limit", &limit) &&
        SinkSize(endpoint) >= (LONGLONG)limit)
        CreateMarker(endpoint, "gone");
    if (FileExists(endpoint, "gone")) {
        LogWrite(endpoint, length, FALSE);
        return STATUS_UNPLUGGED;
    }
    NTSTATUS status = AppendTo(endpoint, "bin", data, length);
    LogWrite(endpoint, length, NT_SUCCESS(status));
    return status;
}

ULONG ReadServiceValue(PUNICODE_STRING servicePath, const WCHAR* valueName, void* buffer,
                       ULONG size) {
    OBJECT_ATTRIBUTES attributes;
    HANDLE key;
    InitializeObjectAttributes(&attributes, servicePath, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE,
                               NULL, NULL);
    if (!NT_SUCCESS(ZwOpenKey(&key, KEY_READ, &attributes)))
        return 0;
    UNICODE_STRING name;
    RtlInitUnicodeString(&name, valueName);
    UCHAR raw[512];
    ULONG needed = 0, copied = 0;
    KEY_VALUE_PARTIAL_INFORMATION* info = (KEY_VALUE_PARTIAL_INFORMATION*)raw;
    if (NT_SUCCESS(
            ZwQueryValueKey(key, &name, KeyValuePartialInformation, raw, sizeof(raw), &needed)) &&
        info->DataLength <= size) {
        RtlCopyMemory(buffer, info->Data, info->DataLength);
        copied = info->DataLength;
    }
    ZwClose(key);
    return copied;
}

NTSTATUS CompleteRequest(PIRP irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

void* RequestBuffer(PIRP irp) {
    return irp->AssociatedIrp.SystemBuffer ? irp->AssociatedIrp.SystemBuffer : irp->UserBuffer;
}

NTSTATUS NTAPI DispatchSuccess(PDEVICE_OBJECT device, PIRP irp) {
    (void)device;
    return CompleteRequest(irp, STATUS_SUCCESS, 0);
}

void SetDispatchTable(PDRIVER_OBJECT driver, PDRIVER_DISPATCH write, PDRIVER_DISPATCH control) {
    driver->MajorFunction[IRP_MJ_CREATE] = DispatchSuccess;
    driver->MajorFunction[IRP_MJ_CLEANUP] = DispatchSuccess;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchSuccess;
    driver->MajorFunction[IRP_MJ_READ] = DispatchSuccess;
    driver->MajorFunction[IRP_MJ_WRITE] = write;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = control;
}

// Shared pieces of the two test-only USB driver stand-ins. Everything a
// virtual endpoint does is visible to the harness as files under
// C:\vprinter in the Wine prefix, named <endpoint>.<ext>:
//   .bin    every byte the endpoint accepted, in order
//   .log    one line per write: "<length> ok" or "<length> refused"
//   .gone   present while the device is unplugged: writes fail as after a
//           real unplug (Wine completes opens of a device before the driver
//           answers, so an unplugged printer is hidden from enumeration by
//           the harness instead)
//   .limit  decimal byte count; once .bin holds that many bytes the device
//           unplugs itself (creates .gone) and refuses the next write
//   .delay  decimal milliseconds that each write takes, accepted or not
#pragma once
#include <ntddk.h>

// Appends the write to the endpoint's sink, or refuses it the way a device
// that has gone away does.
NTSTATUS SinkWrite(const char* endpoint, const void* data, ULONG length);

// Reads a value of the driver's service key into buffer; returns the number
// of data bytes, 0 when the value is missing or too large.
ULONG ReadServiceValue(PUNICODE_STRING servicePath, const WCHAR* valueName, void* buffer,
                       ULONG size);

NTSTATUS CompleteRequest(PIRP irp, NTSTATUS status, ULONG_PTR information);

// The buffer of a buffered write or ioctl, whichever field Wine filled in.
void* RequestBuffer(PIRP irp);

// Completes a request with success and no data (opens, closes, reads).
NTSTATUS NTAPI DispatchSuccess(PDEVICE_OBJECT device, PIRP irp);

// The dispatch table both stand-ins share; only writes and ioctls differ.
void SetDispatchTable(PDRIVER_OBJECT driver, PDRIVER_DISPATCH write, PDRIVER_DISPATCH control);

// The one include through which the Linux program's system code reaches the
// operating system: libusb for the USB bus, and POSIX.
#pragma once

#include <libusb.h>

#include <csignal>
#include <fcntl.h>
#include <iconv.h>
#include <langinfo.h>
#include <pthread.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

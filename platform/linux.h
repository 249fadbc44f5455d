// The one include through which the Linux program's system code reaches the
// operating system: libusb for the USB bus, and POSIX.
#pragma once

#include <libusb.h>

#include <csignal>
#include <cwchar>
#include <fcntl.h>
#include <getopt.h>
#include <iconv.h>
#include <poll.h>
#include <langinfo.h>
#include <pthread.h>
#include <spawn.h>
#include <strings.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

/* Test rig only, never part of the product: gives pseudo-terminal slaves the modem lines they
 * lack. Loaded with LD_PRELOAD into Wine, so that a Wine COM port mapped onto a pty accepts
 * EscapeCommFunction, GetCommModemStatus and a line-event mask with the modem bits, as a real
 * port does. DTR and RTS are remembered per descriptor; CTS, DSR and carrier read as on.
 * Every other ioctl, and every ioctl on anything but a pty slave, goes to the C library. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#define MAX_FDS 4096

static int output_lines[MAX_FDS];

static int is_pty_slave(int fd) {
    struct stat info;
    if (fd < 0 || fd >= MAX_FDS || fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) return 0;
    /* Unix98 pty slaves have the majors 136 to 143. */
    return major(info.st_rdev) >= 136 && major(info.st_rdev) <= 143;
}

int ioctl(int fd, unsigned long request, ...) {
    static int (*real_ioctl)(int, unsigned long, ...);
    va_list args;
    va_start(args, request);
    void *argument = va_arg(args, void *);
    va_end(args);
    if (!real_ioctl) real_ioctl = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");

    if ((request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC) &&
        is_pty_slave(fd)) {
        int *bits = argument;
        if (!bits) {
            errno = EFAULT;
            return -1;
        }
        const int settable = TIOCM_DTR | TIOCM_RTS;
        switch (request) {
            case TIOCMGET: *bits = output_lines[fd] | TIOCM_CTS | TIOCM_DSR | TIOCM_CAR; break;
            case TIOCMSET: output_lines[fd] = *bits & settable; break;
            case TIOCMBIS: output_lines[fd] |= *bits & settable; break;
            case TIOCMBIC: output_lines[fd] &= ~(*bits & settable); break;
        }
        return 0;
    }
    return real_ioctl(fd, request, argument);
}

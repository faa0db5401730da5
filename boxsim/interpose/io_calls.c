/* The cancellation points among the calls that move data: reading and
 * writing (other than write, which may reach the device: device_calls.c),
 * syncing, sockets and message queues. Each is the C library's own call
 * between the two ends of a point (cancel_hooks.h). */
#define _GNU_SOURCE
#include "boxsim/interpose/libc_interpose.h"

#include "boxsim/interpose/cancel_hooks.h"
#include "boxsim/interpose/next_call.h"

#include <sys/msg.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <termios.h>
#include <unistd.h>

typedef ssize_t (*read_fn)(int, void*, size_t);
typedef ssize_t (*read_chk_fn)(int, void*, size_t, size_t);
typedef ssize_t (*iov_fn)(int, const struct iovec*, int);
typedef ssize_t (*pread_fn)(int, void*, size_t, off_t);
typedef ssize_t (*pread64_fn)(int, void*, size_t, off64_t);
typedef ssize_t (*pread_chk_fn)(int, void*, size_t, off_t, size_t);
typedef ssize_t (*pread64_chk_fn)(int, void*, size_t, off64_t, size_t);
typedef ssize_t (*pwrite_fn)(int, const void*, size_t, off_t);
typedef ssize_t (*pwrite64_fn)(int, const void*, size_t, off64_t);
typedef int (*fd_fn)(int);
typedef int (*lockf_fn)(int, int, off_t);
typedef int (*lockf64_fn)(int, int, off64_t);
typedef int (*accept_fn)(int, struct sockaddr*, socklen_t*);
typedef int (*accept4_fn)(int, struct sockaddr*, socklen_t*, int);
typedef int (*connect_fn)(int, const struct sockaddr*, socklen_t);
typedef ssize_t (*recv_fn)(int, void*, size_t, int);
typedef ssize_t (*recv_chk_fn)(int, void*, size_t, size_t, int);
typedef ssize_t (*recvfrom_fn)(int, void*, size_t, int, struct sockaddr*, socklen_t*);
typedef ssize_t (*recvfrom_chk_fn)(int, void*, size_t, size_t, int, struct sockaddr*, socklen_t*);
typedef ssize_t (*recvmsg_fn)(int, struct msghdr*, int);
typedef ssize_t (*send_fn)(int, const void*, size_t, int);
typedef ssize_t (*sendto_fn)(int, const void*, size_t, int, const struct sockaddr*, socklen_t);
typedef ssize_t (*sendmsg_fn)(int, const struct msghdr*, int);
typedef ssize_t (*msgrcv_fn)(int, void*, size_t, long, int);
typedef int (*msgsnd_fn)(int, const void*, size_t, int);

NEXT(read_fn, read)
NEXT(read_chk_fn, __read_chk)
NEXT(iov_fn, readv)
NEXT(iov_fn, writev)
NEXT(pread_fn, pread)
NEXT(pread64_fn, pread64)
NEXT(pread_chk_fn, __pread_chk)
NEXT(pread64_chk_fn, __pread64_chk)
NEXT(pwrite_fn, pwrite)
NEXT(pwrite64_fn, pwrite64)
NEXT(fd_fn, fsync)
NEXT(fd_fn, fdatasync)
NEXT(fd_fn, tcdrain)
NEXT(lockf_fn, lockf)
NEXT(lockf64_fn, lockf64)
NEXT(accept_fn, accept)
NEXT(accept4_fn, accept4)
NEXT(connect_fn, connect)
NEXT(recv_fn, recv)
NEXT(recv_chk_fn, __recv_chk)
NEXT(recvfrom_fn, recvfrom)
NEXT(recvfrom_chk_fn, __recvfrom_chk)
NEXT(recvmsg_fn, recvmsg)
NEXT(send_fn, send)
NEXT(sendto_fn, sendto)
NEXT(sendmsg_fn, sendmsg)
NEXT(msgrcv_fn, msgrcv)
NEXT(msgsnd_fn, msgsnd)

ssize_t read(int fd, void* data, size_t size) {
    POINT("read", real_read()(fd, data, size));
}

ssize_t __read_chk(int fd, void* data, size_t size, size_t capacity) {
    POINT("read", real___read_chk()(fd, data, size, capacity));
}

ssize_t readv(int fd, const struct iovec* parts, int count) {
    POINT("readv", real_readv()(fd, parts, count));
}

ssize_t writev(int fd, const struct iovec* parts, int count) {
    POINT("writev", real_writev()(fd, parts, count));
}

ssize_t pread(int fd, void* data, size_t size, off_t at) {
    POINT("pread", real_pread()(fd, data, size, at));
}

ssize_t pread64(int fd, void* data, size_t size, off64_t at) {
    POINT("pread", real_pread64()(fd, data, size, at));
}

ssize_t __pread_chk(int fd, void* data, size_t size, off_t at, size_t capacity) {
    POINT("pread", real___pread_chk()(fd, data, size, at, capacity));
}

ssize_t __pread64_chk(int fd, void* data, size_t size, off64_t at, size_t capacity) {
    POINT("pread", real___pread64_chk()(fd, data, size, at, capacity));
}

ssize_t pwrite(int fd, const void* data, size_t size, off_t at) {
    POINT("pwrite", real_pwrite()(fd, data, size, at));
}

ssize_t pwrite64(int fd, const void* data, size_t size, off64_t at) {
    POINT("pwrite", real_pwrite64()(fd, data, size, at));
}

int fsync(int fd) {
    POINT("fsync", real_fsync()(fd));
}

int fdatasync(int fd) {
    POINT("fdatasync", real_fdatasync()(fd));
}

int tcdrain(int fd) {
    POINT("tcdrain", real_tcdrain()(fd));
}

int lockf(int fd, int command, off_t length) {
    POINT("lockf", real_lockf()(fd, command, length));
}

int lockf64(int fd, int command, off64_t length) {
    POINT("lockf", real_lockf64()(fd, command, length));
}

int accept(int fd, struct sockaddr* address, socklen_t* length) {
    POINT("accept", real_accept()(fd, address, length));
}

int accept4(int fd, struct sockaddr* address, socklen_t* length, int flags) {
    POINT("accept4", real_accept4()(fd, address, length, flags));
}

int connect(int fd, const struct sockaddr* address, socklen_t length) {
    POINT("connect", real_connect()(fd, address, length));
}

ssize_t recv(int fd, void* data, size_t size, int flags) {
    POINT("recv", real_recv()(fd, data, size, flags));
}

ssize_t __recv_chk(int fd, void* data, size_t size, size_t capacity, int flags) {
    POINT("recv", real___recv_chk()(fd, data, size, capacity, flags));
}

ssize_t recvfrom(int fd, void* data, size_t size, int flags, struct sockaddr* from,
                 socklen_t* length) {
    POINT("recvfrom", real_recvfrom()(fd, data, size, flags, from, length));
}

ssize_t __recvfrom_chk(int fd, void* data, size_t size, size_t capacity, int flags,
                       struct sockaddr* from, socklen_t* length) {
    POINT("recvfrom", real___recvfrom_chk()(fd, data, size, capacity, flags, from, length));
}

ssize_t recvmsg(int fd, struct msghdr* message, int flags) {
    POINT("recvmsg", real_recvmsg()(fd, message, flags));
}

ssize_t send(int fd, const void* data, size_t size, int flags) {
    POINT("send", real_send()(fd, data, size, flags));
}

ssize_t sendto(int fd, const void* data, size_t size, int flags, const struct sockaddr* to,
               socklen_t length) {
    POINT("sendto", real_sendto()(fd, data, size, flags, to, length));
}

ssize_t sendmsg(int fd, const struct msghdr* message, int flags) {
    POINT("sendmsg", real_sendmsg()(fd, message, flags));
}

ssize_t msgrcv(int queue, void* message, size_t size, long type, int flags) {
    POINT("msgrcv", real_msgrcv()(queue, message, size, type, flags));
}

int msgsnd(int queue, const void* message, size_t size, int flags) {
    POINT("msgsnd", real_msgsnd()(queue, message, size, flags));
}

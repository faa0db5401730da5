/* Defined in the test program, these take the C library's place for the code
 * linked into it; each records the path, then asks the kernel directly. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <pthread.h>
#include <string.h>
#include <sys/stat.h>

#define MAX_PATHS 4096
#define MAX_LEN 512

static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
static int recording;
static int count;
static char paths[MAX_PATHS][MAX_LEN];

static void record(const char* path) {
    pthread_mutex_lock(&lock);
    if (recording && count < MAX_PATHS) {
        strncpy(paths[count], path, MAX_LEN - 1);
        paths[count][MAX_LEN - 1] = '\0';
        ++count;
    }
    pthread_mutex_unlock(&lock);
}

void statrec_start(void) {
    pthread_mutex_lock(&lock);
    recording = 1;
    count = 0;
    pthread_mutex_unlock(&lock);
}

int statrec_stop(void) {
    pthread_mutex_lock(&lock);
    recording = 0;
    pthread_mutex_unlock(&lock);
    return count;
}

const char* statrec_path(int i) {
    return paths[i];
}

int stat(const char* path, struct stat* st) {
    record(path);
    return fstatat(AT_FDCWD, path, st, 0);
}

int lstat(const char* path, struct stat* st) {
    record(path);
    return fstatat(AT_FDCWD, path, st, AT_SYMLINK_NOFOLLOW);
}

int stat64(const char* path, struct stat64* st) {
    record(path);
    return fstatat64(AT_FDCWD, path, st, 0);
}

int lstat64(const char* path, struct stat64* st) {
    record(path);
    return fstatat64(AT_FDCWD, path, st, AT_SYMLINK_NOFOLLOW);
}

/* Preloaded into 32-bit Wine processes when they run under qemu-user (machines whose
   kernel cannot start 32-bit programs natively).

   qemu-user does not honour MAP_FIXED_NOREPLACE: it treats the address as a hint and
   maps elsewhere. Wine then reserves its address space 64 KiB at a time and keeps the
   stray mappings, which costs about a minute per process and can block the fixed
   address of the shared user data. Giving the flag its kernel meaning here (the
   requested address or EEXIST) makes a process start in well under a second. */
#include <stddef.h>

#define MAP_FIXED_NOREPLACE 0x100000
#define MAP_FAILED ((void*)-1)
#define RTLD_NEXT ((void*)-1l)
#define EEXIST 17

extern int* __errno_location(void);
extern void* dlsym(void*, const char*);
extern int munmap(void*, size_t);

typedef void* (*mmap64_fn)(void*, size_t, int, int, int, long long);

void* mmap64(void* addr, size_t len, int prot, int flags, int fd, long long off) {
    static mmap64_fn real;
    if (!real) real = (mmap64_fn)dlsym(RTLD_NEXT, "mmap64");
    if (!(flags & MAP_FIXED_NOREPLACE)) return real(addr, len, prot, flags, fd, off);

    void* got = real(addr, len, prot, flags & ~MAP_FIXED_NOREPLACE, fd, off);
    if (got == MAP_FAILED || got == addr) return got;
    munmap(got, len);
    *__errno_location() = EEXIST;
    return MAP_FAILED;
}

void* mmap(void* addr, size_t len, int prot, int flags, int fd, long off) {
    return mmap64(addr, len, prot, flags, fd, off);
}

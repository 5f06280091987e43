/*
 * wine_shim.c - LD_PRELOAD shim that makes 32-bit Wine usable under
 * qemu-i386 7.2 user-mode emulation (x86_64 host kernel without ia32
 * emulation).  It fixes two qemu-user deficiencies:
 *
 * 1. MAP_FIXED_NOREPLACE (0x100000) is ignored by qemu 7.2 and the address is
 *    treated as a hint.  Wine's anon_mmap_tryfixed() then keeps misplaced
 *    chunks above 0x7ffe0000 as "reserved areas", fragmenting the upper 2 GB,
 *    and reserve_area() recurses down to 64 KiB: ~50,000 slow mmap/munmap
 *    pairs, ~80 s of CPU per process start.
 *    Fix: qemu-user (reserved_va is the default for 32-on-64) returns exactly
 *    the hint when the whole range is free in the guest address space, and
 *    another address otherwise.  So strip the flag, do a hinted mmap, and if
 *    it landed elsewhere, unmap it and fail with EEXIST like the kernel would.
 *
 * 2. qemu-i386 keeps ONE GDT for all guest threads, so the TLS entry written
 *    by set_thread_area()/clone(CLONE_SETTLS) is shared: after a second thread
 *    is created, any thread that *reloads* %gs (glibc TLS) or %fs (Wine TEB,
 *    Wine puts it in a GDT TLS slot too) gets the newest thread's base.
 *    Native programs never reload %gs, Wine does it on every Windows->Unix
 *    transition and in signal handlers -> "stack smashing detected", crashes.
 *    Fix: give every thread its own LDT descriptor for %gs (the LDT *is*
 *    shared, which is what we want: distinct entries, distinct selectors),
 *    and make Wine's set_thread_area(-1) probe fail so Wine falls back to its
 *    own per-thread LDT selectors for %fs (it then starts at entry 512,
 *    leaving 1..511 to us).
 *
 * tools/setup builds it twice, into build/cache/qemu-i386/{i386,x86_64}-linux-gnu/:
 * the 32-bit shim, and an empty 64-bit one so that 64-bit children that
 * inherit LD_PRELOAD='.../$LIB/wine_shim.so' stay silent. tools/wine-env
 * hands it to 32-bit guests only, through QEMU_SET_ENV.
 * Disable part 2 with NOREPLACE_SHIM_NO_LDT=1 in the guest environment.
 */
#define _GNU_SOURCE
#include <sys/types.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <asm/ldt.h>
#include <unistd.h>
#include <errno.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <signal.h>
#include <pthread.h>
#include <dlfcn.h>

#ifdef __i386__

#ifndef MAP_FIXED_NOREPLACE
#define MAP_FIXED_NOREPLACE 0x100000
#endif

/* raw int $0x80 syscall, returns -errno on failure; no libc, no TLS */
long shim_raw_syscall( long nr, long a1, long a2, long a3, long a4, long a5, long a6 );
__asm__( ".text\n"
         ".globl shim_raw_syscall\n"
         ".hidden shim_raw_syscall\n"
         ".type shim_raw_syscall,@function\n"
         "shim_raw_syscall:\n\t"
         "pushl %ebp\n\t"
         "pushl %edi\n\t"
         "pushl %esi\n\t"
         "pushl %ebx\n\t"
         "movl 20(%esp),%eax\n\t"
         "movl 24(%esp),%ebx\n\t"
         "movl 28(%esp),%ecx\n\t"
         "movl 32(%esp),%edx\n\t"
         "movl 36(%esp),%esi\n\t"
         "movl 40(%esp),%edi\n\t"
         "movl 44(%esp),%ebp\n\t"
         "int $0x80\n\t"
         "popl %ebx\n\t"
         "popl %esi\n\t"
         "popl %edi\n\t"
         "popl %ebp\n\t"
         "ret\n"
         ".size shim_raw_syscall,.-shim_raw_syscall\n" );

static long set_errno( long ret )
{
    if ((unsigned long)ret > -4096UL) { errno = -ret; return -1; }
    return ret;
}

/* ------------------------------------------------------------------ */
/* part 1: MAP_FIXED_NOREPLACE                                          */
/* ------------------------------------------------------------------ */

static void *do_mmap( void *addr, size_t len, int prot, int flags, int fd, unsigned long long off )
{
    long ret;

    if ((off & 4095) || (off >> 44)) { errno = EINVAL; return MAP_FAILED; }

    if (!(flags & MAP_FIXED_NOREPLACE) || (flags & MAP_FIXED))
        return (void *)set_errno( shim_raw_syscall( SYS_mmap2, (long)addr, len, prot,
                                                    flags & ~(flags & MAP_FIXED ? MAP_FIXED_NOREPLACE : 0),
                                                    fd, (long)(off >> 12) ));

    flags &= ~MAP_FIXED_NOREPLACE;
    ret = set_errno( shim_raw_syscall( SYS_mmap2, (long)addr, len, prot, flags, fd, (long)(off >> 12) ));
    if ((void *)ret == MAP_FAILED || (void *)ret == addr) return (void *)ret;

    /* range (partly) occupied: qemu placed the mapping elsewhere */
    shim_raw_syscall( SYS_munmap, ret, len, 0, 0, 0, 0 );
    errno = EEXIST;
    return MAP_FAILED;
}

void *mmap64( void *addr, size_t len, int prot, int flags, int fd, off64_t off )
{
    return do_mmap( addr, len, prot, flags, fd, (unsigned long long)off );
}

void *mmap( void *addr, size_t len, int prot, int flags, int fd, off_t off )
{
    return do_mmap( addr, len, prot, flags, fd, (unsigned long long)(unsigned long)off );
}

/* ------------------------------------------------------------------ */
/* part 2: per-thread LDT selector for %gs                              */
/* ------------------------------------------------------------------ */

#define FIRST_SLOT 1
#define LAST_SLOT  511   /* Wine uses LDT entries >= 512 when %gs is an LDT selector */

static int ldt_mode;                 /* part 2 active */
static unsigned short gdt_tls_sel;   /* glibc's original %gs (GDT TLS entry) */
static volatile unsigned char slot_used[LAST_SLOT + 1];
static volatile unsigned int next_slot;
static volatile int gdt_lock;
static pthread_key_t slot_key;
static int (*real_pthread_create)( pthread_t *, const pthread_attr_t *, void *(*)(void *), void * );

static inline unsigned short get_gs(void) { unsigned short v; __asm__ volatile( "movw %%gs,%0" : "=r"(v) ); return v; }
static inline void set_gs( unsigned short v ) { __asm__ volatile( "movw %0,%%gs" :: "r"(v) : "memory" ); }
static inline void *get_tcb(void) { void *p; __asm__ volatile( "movl %%gs:0,%0" : "=r"(p) ); return p; }

static void fill_desc( struct user_desc *d, unsigned int entry, void *base )
{
    memset( d, 0, sizeof(*d) );
    d->entry_number   = entry;
    d->base_addr      = (unsigned long)base;
    d->limit          = 0xfffff;
    d->seg_32bit      = 1;
    d->limit_in_pages = 1;
    d->useable        = 1;
}

static int alloc_slot(void)
{
    unsigned int i, idx;
    for (i = 0; i < LAST_SLOT - FIRST_SLOT + 1; i++)
    {
        /* round robin, so a just-freed slot of an exiting thread is not reused at once */
        idx = FIRST_SLOT + __sync_fetch_and_add( &next_slot, 1 ) % (LAST_SLOT - FIRST_SLOT + 1);
        if (__sync_bool_compare_and_swap( &slot_used[idx], 0, 1 )) return idx;
    }
    return -1;
}

static void free_slot( void *p )
{
    int idx = (int)(long)p - 1;
    if (idx >= FIRST_SLOT && idx <= LAST_SLOT) slot_used[idx] = 0;
}

/* switch the calling thread's %gs to a private LDT selector; gs must still be valid */
static int thread_to_ldt(void)
{
    struct user_desc d;
    int idx = alloc_slot();

    if (idx < 0) return -1;   /* out of slots: keep the shared GDT selector */
    fill_desc( &d, idx, get_tcb() );
    if (shim_raw_syscall( SYS_modify_ldt, 0x11, (long)&d, sizeof(d), 0, 0, 0 ) < 0)
    {
        slot_used[idx] = 0;
        return -1;
    }
    set_gs( (idx << 3) | 7 );
    pthread_setspecific( slot_key, (void *)(long)(idx + 1) );
    return idx;
}

struct start_info
{
    void *(*fn)(void *);
    void *arg;
    sigset_t mask;
};

static void *thread_start( void *p )
{
    struct start_info si = *(struct start_info *)p;   /* gs is still right: fresh from clone */
    free( p );
    thread_to_ldt();
    shim_raw_syscall( SYS_rt_sigprocmask, SIG_SETMASK, (long)&si.mask, 0, _NSIG / 8, 0, 0 );
    return si.fn( si.arg );
}

int pthread_create( pthread_t *thread, const pthread_attr_t *attr, void *(*fn)(void *), void *arg )
{
    struct start_info *si;
    struct user_desc d;
    sigset_t all;
    unsigned short sel;
    int ret;

    if (!real_pthread_create) real_pthread_create = dlsym( RTLD_NEXT, "pthread_create" );
    sel = get_gs();
    if (!ldt_mode || !(sel & 4)) return real_pthread_create( thread, attr, fn, arg );

    if (!(si = malloc( sizeof(*si) ))) return EAGAIN;
    si->fn = fn;
    si->arg = arg;
    sigfillset( &all );
    shim_raw_syscall( SYS_rt_sigprocmask, SIG_BLOCK, (long)&all, (long)&si->mask, _NSIG / 8, 0, 0 );

    /* glibc builds the child's TLS descriptor from the *current* %gs index,
       so temporarily go back to the GDT TLS selector, pointed at our own TCB */
    while (__sync_lock_test_and_set( &gdt_lock, 1 )) sched_yield();
    fill_desc( &d, gdt_tls_sel >> 3, get_tcb() );
    shim_raw_syscall( SYS_set_thread_area, (long)&d, 0, 0, 0, 0, 0 );
    set_gs( gdt_tls_sel );
    __sync_lock_release( &gdt_lock );

    ret = real_pthread_create( thread, attr, thread_start, si );

    set_gs( sel );
    shim_raw_syscall( SYS_rt_sigprocmask, SIG_SETMASK, (long)&si->mask, 0, _NSIG / 8, 0, 0 );
    if (ret) free( si );   /* on success the child frees it */
    return ret;
}

/* Wine probes set_thread_area(entry -1) for a GDT %fs slot: refuse, so it
   uses per-thread LDT selectors for the TEB instead of the shared GDT. */
long syscall( long nr, ... )
{
    va_list ap;
    long a1, a2, a3, a4, a5, a6;

    va_start( ap, nr );
    a1 = va_arg( ap, long ); a2 = va_arg( ap, long ); a3 = va_arg( ap, long );
    a4 = va_arg( ap, long ); a5 = va_arg( ap, long ); a6 = va_arg( ap, long );
    va_end( ap );

    if (ldt_mode && nr == SYS_set_thread_area && a1 &&
        ((struct user_desc *)a1)->entry_number == (unsigned int)-1)
    {
        errno = ESRCH;
        return -1;
    }
    return set_errno( shim_raw_syscall( nr, a1, a2, a3, a4, a5, a6 ));
}

__attribute__((constructor)) static void shim_init(void)
{
    const char *env = getenv( "NOREPLACE_SHIM_NO_LDT" );
    unsigned short sel = get_gs();

    real_pthread_create = dlsym( RTLD_NEXT, "pthread_create" );
    if (env && *env && *env != '0') return;
    if (!sel || (sel & 4) || !real_pthread_create) return;   /* not the usual GDT TLS setup */
    if (pthread_key_create( &slot_key, free_slot )) return;
    gdt_tls_sel = sel;
    if (thread_to_ldt() < 0) return;
    ldt_mode = 1;
}

#endif /* __i386__ */

// Counts the heap allocations of a whole process, for bench/x11-usage.sh:
// preloaded (LD_PRELOAD), it passes every malloc, calloc, realloc and
// aligned allocation on to glibc and counts it. SIGUSR2 writes the count so
// far as one line to the file named by KIVO_ALLOC_LOG (appending).
#define _GNU_SOURCE
#include <fcntl.h>
#include <signal.h>
#include <stdatomic.h>
#include <stddef.h>
#include <stdlib.h>
#include <unistd.h>

extern void* __libc_malloc(size_t size);
extern void* __libc_calloc(size_t count, size_t size);
extern void* __libc_realloc(void* p, size_t size);
extern void* __libc_memalign(size_t alignment, size_t size);
extern void __libc_free(void* p);

static atomic_ulong allocations;
static int logFd = -1;

void* malloc(size_t size) {
  atomic_fetch_add_explicit(&allocations, 1, memory_order_relaxed);
  return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
  atomic_fetch_add_explicit(&allocations, 1, memory_order_relaxed);
  return __libc_calloc(count, size);
}
void* realloc(void* p, size_t size) {
  atomic_fetch_add_explicit(&allocations, 1, memory_order_relaxed);
  return __libc_realloc(p, size);
}
void* memalign(size_t alignment, size_t size) {
  atomic_fetch_add_explicit(&allocations, 1, memory_order_relaxed);
  return __libc_memalign(alignment, size);
}
void* aligned_alloc(size_t alignment, size_t size) { return memalign(alignment, size); }
int posix_memalign(void** out, size_t alignment, size_t size) {
  void* p = memalign(alignment, size);
  if (p == NULL) return 12;  // ENOMEM
  *out = p;
  return 0;
}
void free(void* p) { __libc_free(p); }

// Only write(): the handler may interrupt an allocation.
static void report(int signal) {
  (void)signal;
  if (logFd < 0) return;
  char line[32];
  int at = (int)sizeof line;
  line[--at] = '\n';
  unsigned long n = atomic_load(&allocations);
  do {
    line[--at] = (char)('0' + n % 10);
    n /= 10;
  } while (n != 0);
  ssize_t written = write(logFd, line + at, sizeof line - (size_t)at);
  (void)written;
}

__attribute__((constructor)) static void start(void) {
  const char* path = getenv("KIVO_ALLOC_LOG");
  if (path == NULL) return;
  logFd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  struct sigaction action = {0};
  action.sa_handler = report;
  action.sa_flags = SA_RESTART;
  sigaction(SIGUSR2, &action, NULL);
}

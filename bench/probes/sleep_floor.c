/* sleep_floor: the least any program woken every 250 ms costs on this
 * machine: it sleeps 250 ms at a time and does nothing else. What it costs
 * is the kernel's wakeup and return, the floor under every figure that
 * bench/x11-usage.sh prints per minute at the 250 ms tick. */
#include <time.h>

int main(void) {
  const struct timespec quarter = {0, 250000000L};
  for (;;) nanosleep(&quarter, NULL);
}

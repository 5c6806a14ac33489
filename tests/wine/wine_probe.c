/* Says that it ran: scripts/test starts it once to learn whether this machine runs
   the tree's programs at all before it runs the tree's suites. */
#include <stdio.h>

int main(void)
{
    puts("runs");
    return 0;
}

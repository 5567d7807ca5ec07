/* Tells whether Windows programs run here: tools/wine-run runs this once per
   build tree and looks for the line below. */
#include <stdio.h>

int main(void) {
  puts("zr-wine-probe-ok");
  return 0;
}

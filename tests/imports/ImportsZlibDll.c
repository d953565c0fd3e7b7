/* Imports zlib1.dll: the import check must refuse it. */
#include <stdio.h>
#include <zlib.h>

int main(void) {
  printf("zlib %s\n", zlibVersion());
  return 0;
}

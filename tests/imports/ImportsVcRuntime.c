/* Imports vcruntime140.dll, which a clean Windows does not have. */
#include <stdio.h>

void __std_terminate(void);

int main(int argc, char** argv) {
  (void)argv;
  if (argc > 1000) __std_terminate(); /* never called; only the import matters */
  printf("started\n");
  return 0;
}

/* Holds instructions a Pentium lacks on purpose: the floor check must find
   exactly these two in a program linked like the shipped ones. */
int main(int argc, char **argv) {
  (void)argv;
  __asm__ volatile("cmovne %%ecx, %%eax" : : "a"(argc), "c"(0) : "cc");
  __asm__ volatile("fldz\n\tfldz\n\tfcomip %%st(1), %%st\n\tfstp %%st(0)" : : : "cc");
  return 0;
}

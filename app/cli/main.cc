// tarvo-cli: the console front end.
#include <cstdio>

int main() {
  std::fputs("usage: tarvo-cli [--image PATH[,ro][,1024]]... [--create SIZE PATH] [--scsi] [/A<h><t>] [/L<name>] [/R]\n",
             stderr);
  return 0;
}

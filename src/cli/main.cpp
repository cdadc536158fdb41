#include <cstdio>

int main() {
  std::puts("vornctl: not built yet");
  return 2;
}

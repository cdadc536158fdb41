#include <cstdio>

int main() {
  std::puts("vornsim: not built yet");
  return 2;
}

#include <gmock/gmock.h>

#include <QApplication>
#include <cstdlib>

// One main for every test binary: widget tests need a QApplication, and test discovery
// runs without a display, so default to the offscreen platform.
int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleMock(&argc, argv);
  return RUN_ALL_TESTS();
}

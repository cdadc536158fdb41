#include "link/Link.h"

namespace vorn {

int BitRateForIndex(int index) {
  switch (index) {
    case 0: return 9600;
    case 2: return 38400;
    default: return 19200;
  }
}

Link::Link(SerialPort& port, Clock& clock, Prompter& prompter)
    : port_(port), clock_(clock), prompter_(prompter) {}

bool Link::openDevice(const std::string&) { return false; }
void Link::closePort() {}
void Link::setBitRateIndex(int index) { opts.BitRateIndex = index; }
void Link::setModuleAddress(int address) {
  opts.ModuleAddress = address;
  LinkToggle = 128;
}
bool Link::Transact(bool, const std::vector<uint8_t>&) { return false; }
void Link::SendResync() {}
void Link::SendPalkFrame(uint8_t, uint8_t, uint8_t, uint8_t) {}

}  // namespace vorn

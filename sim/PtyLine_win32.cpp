#include "sim/SimLine.h"

#include <stdexcept>

std::unique_ptr<SimLine> MakePtyLine() {
    throw std::runtime_error("Windows has no pseudo-terminals: connect the simulator to one end "
                             "of a virtual null-modem pair with --serial-device \\\\.\\COMn");
}

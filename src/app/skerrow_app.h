#pragma once

namespace skerrow {

// The program's start-up: creates the application and the process-wide conversion state,
// runs the wizard window until it is closed, and returns the exit status.
class CSkerrowApp {
 public:
  int InitInstance(int argc, char** argv);
};

}  // namespace skerrow

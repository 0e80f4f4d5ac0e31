#pragma once

// The application object: runs the wizard frame modally; when the
// frame closes, the program ends.
class CConverterApp {
  public:
    // Runs the frame; returns false, always, after its modal run has ended.
    bool InitInstance();
};

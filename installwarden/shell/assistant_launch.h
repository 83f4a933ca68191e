#pragma once

#include <string>

#include "update_state/update_request.h"

namespace installwarden {

/// What `main` hands to the assistant's GUI shell once the request is valid and the lock held.
struct AssistantLaunch {
  std::string root;
  UpdateRequest request;
  std::string launchctlPath;  ///< the tool every launchctl run starts
  int argc = 0;
  char** argv = nullptr;
};

}  // namespace installwarden

/// Entry point of the shared library that holds the GUI shell; loaded with dlopen so the probe
/// form never pays for loading the toolkit. Runs the event loop; returns the exit status.
extern "C" int installwardenRunAssistant(const installwarden::AssistantLaunch* launch);

/// Name of the shared library, looked up in the project's private library folder beside the
/// executable's folder.
inline constexpr const char* kAssistantLibraryName = "libinstallwarden_assistant.so";
inline constexpr const char* kRunAssistantSymbol = "installwardenRunAssistant";

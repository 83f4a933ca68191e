#pragma once

#include "installwarden/host/update_request.h"

namespace installwarden::host::testing {

/// A request the assistant accepts once `writeRequest` has given it an id, with texts that
/// need escaping: "/", quotes and Chinese.
inline UpdateRequest sampleRequest() {
  UpdateRequest request;
  request.appPath = "/Applications/Quorvelin Pro.app";
  request.sourceVersion = "1.0.0";
  request.version = "2.0.0";
  request.jobLabel = "com.quorvelin.pro.ShipIt";
  request.logPath = "/nonexistent/Library/Caches/ShipIt.log";
  request.logOffset = 1234;
  request.messages = {{"updateTitle", "正在更新 Quorvelin Pro"}, {"updateHint", "a/b \"quoted\""}};
  return request;
}

}  // namespace installwarden::host::testing

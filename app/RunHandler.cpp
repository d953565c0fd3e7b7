#include "app/RunHandler.h"

#include <exception>

#include "platform/Errors.h"
#include "platform/Platform.h"
#include "platform/MessageDialogs.h"

bool RunHandler(const std::function<void()>& handler) {
  try {
    handler();
    return true;
  } catch (const std::exception& e) {
    Os().dialogs->ShowMessage(ports::MessageKind::Error, ExceptionMessage(e));
  }
  return false;
}

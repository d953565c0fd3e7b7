#include "app/ProcessEntry.h"

#include "app/MainFormUnit.h"

int RunMainWindow(TfrmMainForm& form, const std::function<void()>& showWindow,
                  const std::function<void()>& messageLoop) {
  form.FormCreate();
  showWindow();
  messageLoop();
  return 0;
}

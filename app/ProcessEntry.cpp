#include "app/ProcessEntry.h"

#include "app/MainFormUnit.h"
#include "app/Shell.h"
#include "devices/Devices.h"

void RunStartupSteps() {
  BindDriverStoreLocation();
  (void)SetProcessPrivilege(u"seDebugPrivilege", true);
}

int RunMainWindow(TfrmMainForm& form, const std::function<void()>& showWindow,
                  const std::function<void()>& messageLoop) {
  form.FormCreate();
  showWindow();
  messageLoop();
  return 0;
}

// What quillon-headless prints of the in-memory view.
#pragma once
#include <ostream>

#include "app/MainFormUnit.h"
#include "app/MemoryView.h"
#include "platform/MessageDialogs.h"

namespace headless {

// One node a line, two blanks of indent per level; "[+] "/"[-] " before a
// collapsed/expanded node with children.
void PrintTree(std::ostream& out, const view::ITreeView& tree);
// One row a line, cells separated by a tab, the header row first.
void PrintGrid(std::ostream& out, const view::IStringGrid& grid);
// A text tab's text, its line breaks (CR LF, CR or LF) as newlines.
void PrintText(std::ostream& out, const WString& text);
// "name=0|1" a line for every command, then the Microsoft option's check mark.
void PrintState(std::ostream& out, view::IMainView& v);

// The message-dialog port: "[warning] TEXT", "[error] TEXT", "[information] TEXT";
// a question "[question] TEXT", answered No.
class PrintedDialogs final : public ports::IMessageDialogs {
 public:
  explicit PrintedDialogs(std::ostream& out) : out_(out) {}
  void ShowMessage(ports::MessageKind kind, const WString& text) override;
  bool AskYesNo(const WString& text) override;

 private:
  std::ostream& out_;
};

}  // namespace headless

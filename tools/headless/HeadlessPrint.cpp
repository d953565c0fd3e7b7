#include "tools/headless/HeadlessPrint.h"

#include <functional>
#include <utility>

namespace headless {

namespace {

void PrintNode(std::ostream& out, const view::ITreeView& tree, view::NodeId node, int depth) {
  const std::vector<view::NodeId> children = tree.Children(node);
  out << std::string(size_t(depth) * 2, ' ');
  if (!children.empty()) out << (tree.Expanded(node) ? "[-] " : "[+] ");
  out << text::ToUtf8(tree.Text(node)) << '\n';
  for (view::NodeId child : children) PrintNode(out, tree, child, depth + 1);
}

}  // namespace

void PrintTree(std::ostream& out, const view::ITreeView& tree) {
  for (view::NodeId node : tree.Children(view::kNoNode)) PrintNode(out, tree, node, 0);
}

void PrintGrid(std::ostream& out, const view::IStringGrid& grid) {
  for (int row = 0; row < grid.RowCount(); ++row) {
    for (int col = 0; col < grid.ColCount(); ++col) {
      if (col > 0) out << '\t';
      out << text::ToUtf8(grid.Cell(col, row));
    }
    out << '\n';
  }
}

void PrintText(std::ostream& out, const WString& text) {
  std::string s = text::ToUtf8(text);
  std::string lines;
  lines.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r') {
      lines += '\n';
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
    } else {
      lines += s[i];
    }
  }
  out << lines;
  if (!lines.empty() && lines.back() != '\n') out << '\n';
}

void PrintState(std::ostream& out, view::IMainView& v) {
  const std::pair<const char*, view::ICommand*> commands[] = {
      {"btnScan", &v.btnScan()},         {"btnVerify", &v.btnVerify()},     {"btnExport", &v.btnExport()},
      {"btnExportAll", &v.btnExportAll()}, {"btnSubmit", &v.btnSubmit()},     {"mnuVerify", &v.mnuVerify()},
      {"mnuExport", &v.mnuExport()},     {"mnuProperties", &v.mnuProperties()}};
  for (const auto& [name, command] : commands) out << name << '=' << (command->Enabled() ? 1 : 0) << '\n';
  out << "mnuIncludeMicrosoft=" << (v.mnuIncludeMicrosoft().Checked() ? 1 : 0) << '\n';
}

void PrintedDialogs::ShowMessage(ports::MessageKind kind, const WString& text) {
  const char* label = kind == ports::MessageKind::Error     ? "error"
                      : kind == ports::MessageKind::Warning ? "warning"
                                                            : "information";
  out_ << '[' << label << "] " << text::ToUtf8(text) << '\n';
}

bool PrintedDialogs::AskYesNo(const WString& text) {
  out_ << "[question] " << text::ToUtf8(text) << '\n';
  return false;
}

}  // namespace headless

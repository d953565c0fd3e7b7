#include "cli/ShownText.h"

#include "platform/SafeText.h"

namespace cli {

std::string Shown(WStringView text) { return text::ToUtf8(text::Visible(text)); }

std::string PlainLines(WStringView text) {
  std::string lines;
  size_t start = 0;
  // Each stretch between line ends and tabs made visible on its own.
  for (size_t i = 0; i <= text.size(); ++i) {
    const bool end = i == text.size();
    if (!end && text[i] != u'\r' && text[i] != u'\n' && text[i] != u'\t') continue;
    lines += Shown(text.substr(start, i - start));
    if (!end) lines += text[i] == u'\t' ? '\t' : '\n';
    if (!end && text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  return lines;
}

}  // namespace cli

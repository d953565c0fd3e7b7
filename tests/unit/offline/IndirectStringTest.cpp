// Indirect strings as a real Windows stores them in Enum and Control\Class.
#include <gtest/gtest.h>

#include "platform/offline/IndirectString.h"

namespace {

using offline::ResolveIndirectString;

std::optional<WString> NoDll(WStringView, uint32_t) { return std::nullopt; }

TEST(IndirectString, InfReferencesGiveTheTextAfterTheSemicolon) {
  EXPECT_EQ(ResolveIndirectString(u"@oem2.inf,%vboxvideo.svcdesc%;VirtualBox Graphics Adapter", NoDll),
            u"VirtualBox Graphics Adapter");
  EXPECT_EQ(ResolveIndirectString(u"Plain Name", NoDll), u"Plain Name");
  EXPECT_EQ(ResolveIndirectString(u"", NoDll), u"");
  // A ';' inside the text is the text's own.
  EXPECT_EQ(ResolveIndirectString(u"@a.inf,%k%;Ports (COM; LPT)", NoDll), u"Ports (COM; LPT)");
}

TEST(IndirectString, ArgumentListsFillThePlaceholders) {
  EXPECT_EQ(ResolveIndirectString(u"@usbxhci.inf,%pci\\cc_0c0330.devicedesc%;"
                                  u"%1 USB %2 eXtensible Host Controller - %3 (Microsoft);(Standard,3.0,1.0)",
                                  NoDll),
            u"Standard USB 3.0 eXtensible Host Controller - 1.0 (Microsoft)");
  // Placeholders without an argument stay; an argument may be empty.
  EXPECT_EQ(ResolveIndirectString(u"@x.inf,%k%;%1-%2-%3;(a,)", NoDll), u"a--%3");
}

TEST(IndirectString, DllReferencesLoadTheStringOrFallBack) {
  std::vector<std::pair<WString, uint32_t>> asked;
  auto loader = [&](WStringView dll, uint32_t id) -> std::optional<WString> {
    asked.emplace_back(WString(dll), id);
    if (id == 3008) return WString(u"System devices");
    return std::nullopt;
  };
  EXPECT_EQ(ResolveIndirectString(u"@%SystemRoot%\\System32\\SysClass.Dll,-3008", loader), u"System devices");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].first, u"%SystemRoot%\\System32\\SysClass.Dll");
  // A missing string: the text after ';' when there is one, else nothing.
  EXPECT_EQ(ResolveIndirectString(u"@System32\\iphlpsvc.dll,-504;Microsoft IPv4 IPv6 Transition Adapter Bus", loader),
            u"Microsoft IPv4 IPv6 Transition Adapter Bus");
  EXPECT_EQ(ResolveIndirectString(u"@%SystemRoot%\\System32\\DispCI.dll,-3100", loader), std::nullopt);
}

}  // namespace

// The root certificates of a machine's registry stores, as Windows serializes them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "platform/offline/RootStores.h"
#include "tests/unit/offline/MachineFolder.h"

namespace {

std::vector<uint8_t> Element(uint32_t property, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out(12, 0);
  const uint32_t header[3] = {property, 1, uint32_t(data.size())};
  std::memcpy(out.data(), header, sizeof header);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

std::vector<uint8_t> Join(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(RootStores, TheCertificateIsTheElementOfProperty0x20) {
  const std::vector<uint8_t> der = {0x30, 0x03, 0x02, 0x01, 0x07};
  // Windows writes other properties (hashes, friendly name) before the certificate.
  const std::vector<uint8_t> blob = Join(Element(3, std::vector<uint8_t>(20, 0xAB)), Element(0x20, der));
  EXPECT_EQ(offline::CertificateOfBlob(blob), der);
  EXPECT_EQ(offline::CertificateOfBlob(Element(3, {1, 2})), std::nullopt);
  std::vector<uint8_t> cut = blob;
  cut.pop_back();  // the certificate's last byte is missing
  EXPECT_EQ(offline::CertificateOfBlob(cut), std::nullopt);
  EXPECT_EQ(offline::CertificateOfBlob({}), std::nullopt);
}

TEST(RootStores, ReadsRootAndAuthRootOfTheRegistry) {
  simtest::MachineFolder folder;
  auto hex = [](const std::vector<uint8_t>& bytes) {
    std::string s = "hex:";
    char b[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
      std::snprintf(b, sizeof b, "%02x", bytes[i]);
      s += (i ? "," : "") + std::string(b);
    }
    return s;
  };
  const std::string stores = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\SystemCertificates\\";
  folder.Write("registry.reg", simtest::Utf16RegFile(
                                   "Windows Registry Editor Version 5.00\n\n" + stores +
                                   "ROOT\\Certificates\\AA]\n\"Blob\"=" + hex(Element(0x20, {1, 2, 3})) + "\n\n" +
                                   stores + "AuthRoot\\Certificates\\BB]\n\"Blob\"=" + hex(Element(0x20, {4})) +
                                   "\n\n" + stores + "CA\\Certificates\\CC]\n\"Blob\"=" +
                                   hex(Element(0x20, {5})) + "\n"));
  auto machine = offline::Machine::Load(folder.Root());
  const auto found = offline::RootStoreCertificates(*machine);
  ASSERT_EQ(found.size(), 2u);  // intermediate CAs are no roots
  EXPECT_EQ(found[0].first, u"SOFTWARE\\Microsoft\\SystemCertificates\\ROOT\\Certificates\\AA");
  EXPECT_EQ(found[0].second, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(found[1].second, (std::vector<uint8_t>{4}));
}

}  // namespace

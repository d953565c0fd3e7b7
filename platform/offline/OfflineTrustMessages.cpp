#include "platform/offline/OfflineTrustMessages.h"

#include <cstdint>

#include "platform/offline/Machine.h"

namespace offline {

void RegisterTrustMessageTexts() {
  struct Entry {
    uint32_t code;
    const char* text;
  };
  static const Entry kTexts[] = {
      {0x800B0100, "No signature was present in the subject."},
      {0x800B0109,
       "A certificate chain processed, but terminated in a root certificate which is not trusted by the trust "
       "provider."},
      {0x80096010, "The digital signature of the object did not verify."},
      {0x800B0110, "The certificate is not valid for the requested usage."},
      {0x800B0003, "The form specified for the subject is not one supported or known by the specified trust provider."},
      {0x800B0101,
       "A required certificate is not within its validity period when verifying against the current system clock or "
       "the timestamp in the signed file."},
      {0x800B010A, "A certificate chain could not be built to a trusted root authority."},
      {0x800B010C, "The certificate for the signer of the message is invalid or not found."},
      {0x800B0002, "The trust verification action specified is not supported by the specified trust provider."},
      {0x80096004, "The signature of the certificate cannot be verified."},
      {0x80090006, "Invalid Signature."},
      {0x80090008, "Invalid algorithm specified."},
      {0x80092004, "Cannot find object or property."},
      {0x80092003, "An error occurred while reading or writing to a file."},
      {0x8009200A, "An unexpected message type was encountered."},
      {0x8009310B, "ASN1 bad tag value met."},
      {0x80070002, "The system cannot find the file specified."},
      {0x80070057, "The parameter is incorrect."},
      {1168, "Element not found."},
  };
  for (const Entry& e : kTexts) {
    if (!MessageText(e.code)) RegisterMessageText(e.code, text::FromUtf8(e.text) + u"\r\n");
  }
}

}  // namespace offline

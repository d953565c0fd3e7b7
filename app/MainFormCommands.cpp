// PLACEHOLDERS for the commands Verify Signatures, Export Driver, Export All and
// Prepare NAVU Submission. Each click handler only says that the command is not
// there yet; the building blocks refuse with the same text rather than pretend to
// have verified or exported anything. This file is replaced by the commands' work.
#include "app/MainFormUnit.h"
#include "platform/Errors.h"
#include "platform/Platform.h"
#include "platform/Shell.h"

namespace {

const WString kNotAvailable = u"This command is not available yet.";

void SayNotAvailable() { Os().dialogs->ShowMessage(ports::MessageKind::Information, kNotAvailable); }

}  // namespace

void TfrmMainForm::btnVerifyClick() { SayNotAvailable(); }

bool TfrmMainForm::VerifyDriver(TDevice&, bool) { throw QuillonError(kNotAvailable); }

void TfrmMainForm::btnExportClick() { SayNotAvailable(); }

void TfrmMainForm::btnExportAllClick() { SayNotAvailable(); }

WString TfrmMainForm::ExportDriver(TDevice&) { throw QuillonError(kNotAvailable); }

void TfrmMainForm::btnSubmitClick() { SayNotAvailable(); }

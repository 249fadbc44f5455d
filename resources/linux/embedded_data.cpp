// The firmware image and the two agreement texts, assembled into the program
// from the files the build was configured with: nothing is read at run time.
#include "resources/embedded_data.h"

#include "resources/linux/languages.h"

#include "resource_inputs.h"

#define FWUPDATER_EMBED(name, file)                                                                \
    ".section .rodata\n"                                                                           \
    ".balign 16\n"                                                                                 \
    ".globl " name "\n"                                                                            \
    ".hidden " name "\n" name ":\n"                                                                \
    ".incbin \"" file "\"\n"                                                                       \
    ".globl " name "_end\n"                                                                        \
    ".hidden " name "_end\n" name "_end:\n"                                                        \
    ".previous\n"

asm(FWUPDATER_EMBED("fwupdater_firmware", FIRMWARE_IMAGE_FILE));
asm(FWUPDATER_EMBED("fwupdater_agreement_en", AGREEMENT_EN_FILE));
asm(FWUPDATER_EMBED("fwupdater_agreement_ja", AGREEMENT_JA_FILE));

extern "C" {
extern const uint8_t fwupdater_firmware[];
extern const uint8_t fwupdater_firmware_end[];
}

int LocateFirmwareImage(EmbeddedBytes* image) {
    image->bytes = fwupdater_firmware;
    image->size = static_cast<uint32_t>(fwupdater_firmware_end - fwupdater_firmware);
    return 1;
}

int LocateAgreementText(EmbeddedBytes* agreement) {
    const Language& language = CurrentLanguage();
    agreement->bytes = language.agreement;
    agreement->size = static_cast<uint32_t>(language.agreementEnd - language.agreement);
    return 1;
}

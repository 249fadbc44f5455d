// The language of the Linux program's texts.
#pragma once

// Japanese texts from now on when `japanese`, else English. English until set.
void SelectTextLanguage(bool japanese);
bool TextLanguageIsJapanese();

// The character set of the agreement text in that language, for iconv.
const char* AgreementEncoding();

// What the terminal front end shows: texts of the chosen language, wrapped
// to the terminal and in its character set. The conversation goes to
// standard output; reasons and errors to standard error, after the
// program's name.
#pragma once

#include "resources/linux/terminal_texts.h"

#include <string>

// The language of the locale, or English where its character set cannot
// show that language's texts. Called once, at start.
void ChooseLanguage();

// String-table entry `id` in the chosen language (UTF-8).
std::string TableText(int id);
// A terminal text in the chosen language (UTF-8).
std::string TextOf(TerminalText name);
// `text` with every `field` ("{node}") replaced by `value`.
std::string Fill(std::string text, const std::string& field, const std::string& value);

// A line of the conversation, wrapped on a terminal.
void Say(const std::string& utf8);
// Text as it stands, without a line end: a prompt's, the bar's.
void Show(const std::string& utf8);
// "fwupdater: " and the text on standard error, wrapped on a terminal.
void Complain(const std::string& utf8);
// The prompt, where a line is typed.
void AskForLine();
// Text wrapped for the terminal behind `fd` (if it is one) and converted.
std::string Displayed(const std::wstring& text, int fd);

// "<printer name> (<firmware version>)", as every dialog is captioned.
void SayCaption();

// Shows the agreement and its two choices; true when it was accepted.
bool RunAgreement();
// The updater, driven by lines typed; the exit status.
int RunUpdater();
// One search and one transfer if found, for a script; the exit status.
int RunAcceptedUpdate();

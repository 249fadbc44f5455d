// The names of the terminal program's own texts. Each language's file in
// resources/terminal/ holds one entry for every name, in any order.
#pragma once

enum class TerminalText {
    Prompt,
    EnterKey, // {label}: the first button's
    QuitKey,  // {label}: the second button's
    AgreementPrompt,
    PagerHint,
    ChoiceExpected,
    Refused,
    Ready,
    RetryHint,
    NotFound,
    NoAccessRuleInstalled, // {node}, {rule}
    NoAccessRuleBuilt,     // {node}, {rule}
    NoAccessNoRule,        // {node}, {package}
    Busy,                  // {node}
    Unplugged,
    TimedOut, // {seconds}
    WriteFailed,
    CannotInterrupt,
    UnknownOption, // {option}
    ExtraArgument, // {argument}
    Version,       // {version}, {size}, {sha256}
    Usage,
    Count, // not a text: how many there are
};

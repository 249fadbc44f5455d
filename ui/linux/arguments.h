// The command line, read as the field's other programs read theirs
// (getopt_long), and the two answers it may ask for instead of an update.
#pragma once

enum class Command { Update, AcceptedUpdate, Help, Version, WrongArgument };

// What the command line asks for; a wrong argument is reported on the way.
Command ReadArguments(int argc, char** argv);

void ShowUsage();
// The program's version and the image it carries: its size and SHA-256.
void ShowVersion();

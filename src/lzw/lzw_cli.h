#pragma once

// Runs "pelorus-cli lzw-encode OUT IN MAXLEN OFFSET". argv[0] is the command name and
// argv[1..4] its arguments. Prints LZWencode's result as a decimal number on stdout and
// returns 0; when the call failed, also prints why on stderr and returns 1; with wrong
// arguments prints a usage line on stderr and returns 2.
int RunLzwEncodeCommand(int argc, char** argv);

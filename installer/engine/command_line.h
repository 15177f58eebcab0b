// The installer's command line: the source folder, then the switches.
//
//   command line  =  { blank } [ source ] { blank switch } { blank }
//   switch        =  "/S"                 run unattended
//                 |  "/UNINSTALL"         answer Yes to the same-version uninstall offer
//                 |  "/LOG=" file         write the install log to `file`
//                 |  "/D=" folder         the destination; the rest of the line,
//                                         blanks and all, so it comes last
//   file          =  a word without blanks, or a text in double quotes
//   blank         =  " " | tab
//
// A switch may also stand whole in double quotes, as programs that quote
// every argument holding a blank write it: "/D=C:\My Games\Korvo" (then it
// need not come last) or "/LOG=C:\my logs\k.log".
//
// Switch names are read without regard to case. A switch is recognised only
// as a whole known word that follows a blank (or starts the line): "/S" must
// be followed by a blank or the end, and "/LOG=" and "/D=" by their value. So
// "D:\games/S", "D:\x /Special" and "D:\a/b" are folders. The switches begin
// at the first such word; the source is everything before it, without the
// blanks that separate them, and may be empty (the current folder, as for
// an empty line). After the first switch every word must be a switch: any
// other word is refused with its text.
//
// A line without any known switch is read exactly as the installer always
// read it: the whole text after the leading blanks is the source folder,
// verbatim (no quotes removed, trailing blanks kept).
#ifndef INSTALLER_ENGINE_COMMAND_LINE_H
#define INSTALLER_ENGINE_COMMAND_LINE_H

#include <string>

namespace installer {

struct CommandLine {
    std::string source;              // empty: none given
    bool unattended = false;         // /S
    bool confirmUninstall = false;   // /UNINSTALL
    bool hasDestination = false;     // /D=
    std::string destination;
    bool hasLogFile = false;         // /LOG=
    std::string logFile;
    bool hasSwitches = false;        // at least one known switch
    // Not empty when the line cannot be read: the word that is not a switch
    // (or a switch without its value, or one given twice).
    std::string refusedWord;
};

// Reads `text`, the command line after the program's own name (null counts
// as empty).
CommandLine ParseCommandLine(const char* text);

// The switches of `line` written back as a command line tail (" /S /LOG=..."),
// for a copy of the program that must run the same way; /D= goes last.
std::string SwitchesText(const CommandLine& line);

}  // namespace installer

#endif  // INSTALLER_ENGINE_COMMAND_LINE_H

// One run of the settings helpers over one settings file, in one direction: the settings routine
// names each key once, with the variable that holds its value, and the same line loads the value
// into the variable (its current value is the default) or saves it from there.
//
//     IniRun run(settingsFile, write);
//     run.Integer("Top", window.top);
//     run.String("host", host);
//     run.Finish();
//
// Every key lives in section "Param". The calls share one image of the file: the first call
// loads it, Finish writes it back in a save and frees it. A run that is left without Finish (a
// failure on the way) writes nothing.
#pragma once

#include "support/Tr_Util.h"

#include <cstdint>
#include <string>
#include <vector>

class IniRun {
public:
    // write: false loads values from the file, true saves them into it.
    IniRun(std::string filePath, bool write);
    IniRun(const IniRun&) = delete;
    IniRun& operator=(const IniRun&) = delete;

    // Yes/no, stored as 1 or 0; any other number reads as yes.
    void Bool(const std::string& key, bool& value);
    void Integer(const std::string& key, std::int32_t& value);
    // A text, kept in the file in the system's code page as the technicians' files always were.
    // A text that code page cannot hold (a folder named in another script) is not saved: the file
    // keeps the value it had rather than a name with "?" in place of its letters.
    void String(const std::string& key, std::string& value);
    // A key that every save writes with an empty value; a load finds nothing in it.
    void EmptyKey(const std::string& key);

    // The entries of a section as the file holds them ("name=value", or a line without "="), in
    // file order; none when the section is missing. Read in either direction, never written.
    std::vector<std::string> SectionLines(const std::string& section);

    // Ends the run: a save writes the whole image to the file, with every section and key that
    // the run did not touch; a load only lets go of it.
    void Finish();

private:
    const std::string path_;
    const bool write_;
    IniStoreRef store_;
};

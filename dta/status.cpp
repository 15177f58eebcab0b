// Texts for the reasons a read fails, and the one-line message built from a
// status.
#include "dta/status.h"

namespace dta {

const char* ReasonText(Reason reason) {
    switch (reason) {
        case Reason::None:
            return "no failure";
        case Reason::CannotOpen:
            return "cannot be opened";
        case Reason::ReadFailed:
            return "the system refused a read";
        case Reason::OutOfMemory:
            return "out of memory";
        case Reason::NotAnArchive:
            return "not a .dta archive (no PWD0 at the start)";
        case Reason::ArchiveHeaderCut:
            return "archive header cut short";
        case Reason::DirectoryOutsideFile:
            return "directory outside the file (wrong key words?)";
        case Reason::DirectorySizeNotMultiple:
            return "directory size not a multiple of 28 bytes";
        case Reason::DirectoryOutOfOrder:
            return "directory not sorted by lookup key";
        case Reason::EntryHeaderOutsideFile:
            return "entry header outside the file";
        case Reason::NameTooLong:
            return "name longer than 259 bytes";
        case Reason::NameOutsideFile:
            return "name outside the file";
        case Reason::KeyMismatch:
            return "lookup key does not match the name";
        case Reason::TailMismatch:
            return "name tail does not match the name";
        case Reason::FirstBlockMisplaced:
            return "first block does not follow the name";
        case Reason::BlockCountMismatch:
            return "block count does not match the decoded size";
        case Reason::WaveHeaderOutsideFile:
            return "wave header outside the file";
        case Reason::BlockHeaderOutsideFile:
            return "block header outside the file";
        case Reason::BodyOutsideFile:
            return "block body runs past the end of the file";
        case Reason::StoredSizeZero:
            return "stored size 0 (not even a method byte)";
        case Reason::StoredSizeTooLarge:
            return "stored size above 32,772 bytes";
        case Reason::ChainBeforeStart:
            return "previous-block size leads before the first block";
        case Reason::BlockDecodedShort:
            return "block decodes to less than 32,768 bytes";
        case Reason::LastBlockWrongSize:
            return "last block does not decode to the rest of the entry";
        case Reason::StoredTooLong:
            return "stored payload longer than a block";
        case Reason::LzFlagWordCut:
            return "flag word cut off by the end of the block";
        case Reason::LzTokenCut:
            return "token cut off by the end of the block";
        case Reason::LzBackReferenceBeforeStart:
            return "back-reference before the block start";
        case Reason::OutputTooLong:
            return "decodes to more than 32,768 bytes";
        case Reason::WaveWithoutHeader:
            return "wave block in an entry without a wave header";
        case Reason::WaveNoChannels:
            return "wave header gives 0 channels";
        case Reason::WaveHeaderCopyCut:
            return "wave header copy cut short";
        case Reason::WaveFirstSampleCut:
            return "first sample cut short";
        case Reason::WaveOddStereoCodes:
            return "odd number of stereo codes";
    }
    return "unknown failure";
}

std::string GroupedNumber(int64_t value) {
    const bool negative = value < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::string digits;
    int count = 0;
    do {
        if (count > 0 && count % 3 == 0) digits.insert(digits.begin(), ',');
        digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
        ++count;
    } while (magnitude != 0);
    return negative ? "-" + digits : digits;
}

std::string Describe(const Status& status) {
    if (status.Ok()) return std::string();
    std::string text;
    if (status.entry >= 0) {
        text = "entry " + std::to_string(status.entry);
        if (!status.name.empty()) text += " (" + status.name + ")";
        text += ": ";
    }
    if (status.block >= 0) text += "block " + std::to_string(status.block) + ": ";
    text += ReasonText(status.reason);
    if (status.found >= 0 && status.expected >= 0) {
        text += " (" + GroupedNumber(status.found) + ", expected " + GroupedNumber(status.expected) + ")";
    } else if (status.found >= 0) {
        text += " (" + GroupedNumber(status.found) + ")";
    }
    if (status.byte >= 0) {
        text += " at byte " + GroupedNumber(status.byte);
    } else if (status.fileOffset >= 0) {
        text += " at file offset " + GroupedNumber(status.fileOffset);
    }
    return text;
}

}  // namespace dta

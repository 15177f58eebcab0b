// What can be wrong with an archive, by name. The decoders and the reading
// code report one of these where they fail; the exported functions still
// answer only -1, false or null, while the archive tool prints the reason
// (ReasonText in dta/status.h).
#ifndef DTA_REASON_H
#define DTA_REASON_H

#include <cstdint>

namespace dta {

enum class Reason : uint8_t {
    None,

    // The system.
    CannotOpen,   // the file can't be opened for reading
    ReadFailed,   // the system refused a seek or a read
    OutOfMemory,  // a buffer could not be allocated

    // The archive as a whole.
    NotAnArchive,              // no "PWD0" magic
    ArchiveHeaderCut,          // the file ends inside the archive header
    DirectoryOutsideFile,      // the directory runs past the end of the file
    DirectorySizeNotMultiple,  // directory size not a multiple of the entry size
    DirectoryOutOfOrder,       // entries not in ascending lookup-key order

    // An entry.
    EntryHeaderOutsideFile,  // the entry header runs past the end of the file
    NameTooLong,             // name length above the longest name
    NameOutsideFile,         // the name runs past the end of the file
    KeyMismatch,             // the directory's lookup key is not the name's
    TailMismatch,            // the directory's name tail is not the name's
    FirstBlockMisplaced,     // the first block does not follow the name
    BlockCountMismatch,      // block count and decoded size disagree
    WaveHeaderOutsideFile,   // the wave header after the first method byte is cut off

    // A block's place in the chain.
    BlockHeaderOutsideFile,  // the block header runs past the end of the file
    BodyOutsideFile,         // the body runs past the end of the file
    StoredSizeZero,          // a body without even its method byte
    StoredSizeTooLarge,      // a body larger than the largest body
    ChainBeforeStart,        // a previous-block size leads before the first block
    BlockDecodedShort,       // a block other than the last decodes to less than a block
    LastBlockWrongSize,      // the last block decodes to other than the rest

    // A block body (the decoders).
    StoredTooLong,               // a stored payload longer than the output area
    LzFlagWordCut,               // a flag word cut off by the end of the body
    LzTokenCut,                  // a token cut off by the end of the body
    LzBackReferenceBeforeStart,  // a back-reference reaching before the block start
    OutputTooLong,               // the decoded bytes would pass the output area
    WaveWithoutHeader,           // a wave block in an entry without a wave header
    WaveNoChannels,              // the wave header gives 0 channels
    WaveHeaderCopyCut,           // the recognised header copy is cut short
    WaveFirstSampleCut,          // the raw first sample or frame is cut short
    WaveOddStereoCodes,          // a stereo stream with an odd number of codes
};

}  // namespace dta

#endif  // DTA_REASON_H

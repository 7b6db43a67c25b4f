// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace quorvane::formats {

// Why a PC file was refused. A refused read never touches the page.
enum class ReadResult {
    Ok,
    CannotOpen,
    WrongTag,           // .ddc whose first three bytes are not 'C', 'F', 'U'
    TooShortForHeader,  // shorter than the tag and entry (.ddc 36, .dci 32 bytes)
    TooShortForData,    // fewer data bytes than sizeInBlocks x 512
    TooManyBlocks,      // more blocks than a page has (200): can never fit
    FreeEntryType,      // entry with fileType 0 would hide its blocks behind a free slot
    VmiTooShort,        // .vmi shorter than 100 bytes: no complete card file name
    EmptyVms,           // .vms of 0 bytes: no data to store
    PageFileTooShort,   // .dcm shorter than 131072 bytes
    ReadFailed,         // an I/O error while reading
    NotAFile,           // a folder, FIFO, device or socket (or a link to one): never read
};

}  // namespace quorvane::formats

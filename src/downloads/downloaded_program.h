// A program that came over the network, held open from its download until it
// is started or has taken the running copy's place: nobody can write it while
// it is held, and every check (its digest, whether it is a whole program of
// this machine, who signed it) reads the bytes held, not whatever the path
// names by then.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "framework/handles.h"

namespace ovn::downloads {

class DownloadedProgram {
public:
    DownloadedProgram() = default;

    // The file at path, held for reading. It is shared for reading (the
    // system's loader reads it to start it) and for deletion, which a rename
    // needs, so it can still be moved into place while held; never for writing.
    static DownloadedProgram Hold(const std::wstring& path);
    // What the download wrote at path through written (open for reading and
    // writing, shared for reading only). A program cannot be started from a
    // file somebody holds for writing, so written is exchanged for a held
    // handle; the file behind it must hold the bytes written, or somebody
    // changed it in between, and then nothing is held.
    static DownloadedProgram FromWritten(fw::FileHandle written, const std::wstring& path);

    explicit operator bool() const { return static_cast<bool>(m_file); }
    const std::wstring& Path() const { return m_path; }

    // The MD5 digest of the bytes held (32 lower-case hexadecimal digits).
    std::optional<std::wstring> Md5() const;
    // The machine type when the bytes held are a whole Windows program
    // (program_image.h); nothing otherwise.
    std::optional<std::uint16_t> Machine() const;
    // Whether this copy may install or start it, by its signature (what:
    // "update", "game download", for the log).
    bool FromOurPublisher(const wchar_t* what) const;

    // Starts it without arguments, once its path still names the file held; it
    // stays held, and its path kept to it, until the system has opened it.
    bool Start() const;
    // Puts it in place of program, which is moved to aside first (a running
    // copy can be renamed, not overwritten); true once program names the file
    // held. On failure program is put back, so the folder never lacks a
    // runnable copy.
    bool TakePlaceOf(const std::wstring& program, const std::wstring& aside);
    // Lets go and deletes the file (at the next reboot when it cannot go now).
    void Discard();

private:
    // A second handle on the file at path when it is the file held: it shares
    // reading only, so while it is open nobody renames or deletes the file,
    // and path keeps naming what was checked. Empty when path names another.
    fw::FileHandle Pin(const std::wstring& path) const;

    fw::FileHandle m_file;
    std::wstring m_path;
};

// Deletes what a download left at path, held or not (at the next reboot when
// it cannot go now).
void DiscardDownload(const std::wstring& path);

}  // namespace ovn::downloads

#pragma once
// One server's configuration model: a flat list of numbered Directive lines
// with parent links. Reads httpd.conf, answers queries, applies edits, writes
// the file back and keeps the binary snapshot (Serialize.srl).
//
// Indexes are 1-based where the list is concerned (GetDirective(1) is the
// first line); scope numbers are DirectiveNo values of section heads, -1 for
// the main server. Unexpected failures throw corvane::CorvaneError.
#include "model/ConfigTree.h"
#include "model/Directive.h"
#include "model/ListRows.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace corvane {

class ConfigFile
{
public:
    // appFolder is the application folder; it fixes where the snapshot of a
    // working copy <appFolder>/<server>/WorkArea/httpd.conf lives.
    explicit ConfigFile(std::string appFolder = {});
    ~ConfigFile();
    ConfigFile(const ConfigFile&) = delete;
    ConfigFile& operator=(const ConfigFile&) = delete;

    const std::string& AppFolder() const { return m_appFolder; }
    void SetAppFolder(const std::string& appFolder) { m_appFolder = appFolder; }

    // ---- reader -------------------------------------------------------
    const std::string& FileName() const { return m_fileName; }
    // Also sets the snapshot path: <appFolder>/<server>/WorkArea/Serialize.srl,
    // or Serialize.srl beside the file when the path is not of that shape.
    void SetFileName(const std::string& path);
    const std::string& SnapshotPath() const { return m_snapshotPath; }
    void SetSnapshotPath(const std::string& path) { m_snapshotPath = path; }

    // Reads the file without changing it; every line keeps the bytes it was
    // read from. False when no file exists; error 1 on failure.
    bool ReadFile();
    bool ConvertFile(); // normalises the file on disk; error 6 on failure

    // Reads a configuration split over files: the main file and every file
    // its Include and IncludeOptional lines bring in, to any depth. The lines
    // of an included file stand at the place of their Include line, in its
    // scope, numbered in reading order. FileName stays the main file's local
    // copy (the working copy); `localPathOf` tells where every other file's
    // bytes are kept, so that writing replaces exactly the changed files.
    // False when the main file cannot be read; problems with includes are in
    // the report (the lines read so far stay).
    bool ReadTree(TreeSource& source, const TreeSettings& settings, TreeReport& report,
                  const std::function<std::string(const std::string& serverPath)>& localPathOf);
    // The files of the model in reading order (one, unnamed, for a plain file).
    std::vector<TreeFile> Files() const;
    // The server folder relative Include paths of the tree started from ("" for
    // a plain file); kept beside the snapshot with the files.
    const std::string& ServerRoot() const { return m_serverRoot; }
    // Where a line stands: the file's server path ("" for a plain file) and
    // its first physical line (1-based); line 0 for a line not written yet,
    // or when the files no longer hold the lines the model was loaded from.
    // The places of all lines are worked out once per load or write, so
    // asking for many lines costs one pass over the files.
    struct LinePlace
    {
        std::string file;
        int line = 0;
    };
    LinePlace PlaceOf(const Directive* d);
    // The line of a single-value directive of a scope that Apache applies: the
    // first one (FindSubDirective), unless the scope holds that directive in
    // more than one file; then the last one in reading order, which overrides
    // the others. nullptr when the scope has none.
    Directive* FindAppliedSubDirective(const std::string& sSub, std::int32_t ParentDirNo);
    // The lines of a scope exactly as they stand in the file, from its head
    // to its end line (the whole main file for -1; one line for a directive
    // that heads nothing), with the blank lines between them.
    struct SourceLine
    {
        std::string file;
        int line = 0;
        std::string bytes; // with the line's own line end
    };
    std::vector<SourceLine> SourceLines(std::int32_t scopeNo);
    // Every line of one file of the model (by server path, "" for a plain
    // file) exactly as it stands; empty when the model has no such file.
    std::vector<SourceLine> FileSourceLines(const std::string& serverPath);
    // Where each of `wanted` stands, from the same places PlaceOf answers
    // from; lines not in any file are left out.
    std::unordered_map<const Directive*, LinePlace>
    PlacesOf(const std::unordered_set<const Directive*>& wanted);

    // Off (the default): writing keeps the file's layout and bytes, changing
    // only the lines that were edited. On: the file is regenerated scope by
    // scope, every line in column 1 with CR LF.
    void SetNormalizeLayout(bool on) { m_normalize = on; }
    bool NormalizeLayout() const { return m_normalize; }

    // Why the last edit was refused (a value that would break the file), ""
    // when none was; taking it clears it.
    std::string TakeRefusal();
    // Records text as refused when it cannot be written; true when refused.
    bool noteRefusal(const std::string& text) { return refuse(text); }

    int GetDirectiveCount() const { return static_cast<int>(m_list.size()); }
    Directive* GetDirective(int index) const; // nullptr outside 1..count or deleted
    Directive* FindDirective(std::int32_t lDirNo) const;
    Directive* GetServerDirective() const { return m_server.get(); }

    // Live lines of scope n (direct children, any type) in list order.
    std::vector<Directive*> GetScopeLines(std::int32_t scopeNo) const;
    // Live section heads (sub type 0) of scope n in list order.
    std::vector<Directive*> GetScopeSections(std::int32_t scopeNo) const;

    // ---- queries and edits ---------------------------------------------
    Directive* FindSubDirective(const std::string& sSub, std::int32_t ParentDirNo) const;
    // 0-based list of the matching simple directives of the scope, in list order.
    std::vector<Directive*> GetAllMatchingSubDirectives(const std::string& sDirectiveName,
                                                        std::int32_t ParentDirNo) const;
    bool DeleteAllMatchingSubDirectives(const std::string& sDirectiveName, std::int32_t ParentDirNo);
    bool DeleteDirective(std::int32_t lDirNo);
    bool DeleteAllSubDirectives(std::int32_t ParentDirNo);
    // Takes ownership, numbers the line (GetNextDirectiveNo) and appends it.
    // Set its text and parent before.
    bool AddDirective(std::unique_ptr<Directive> DirObj);
    std::int32_t GetNextDirectiveNo() const;

    // 1 success; 0 directive numbered below 1; -1 delete failed; -2 set failed;
    // -3 scope not found; -4 bad scope number or add failed.
    int UpdateDirective(const std::string& sDirectiveName, const std::string& sParamList,
                        std::int32_t lParentDirectiveNo);
    int SaveAsNewDirective(const std::string& sDirectiveName, const std::string& sParamList,
                           std::int32_t lParentDirectiveNo);
    // lstView nullptr stands for "no list view" (returns false).
    bool SaveDirectivesFromListView(const ListRows* lstView, const std::string& sDirectiveName,
                                    std::int32_t lParentDirectiveNo);
    bool SaveDirectiveAndParametersFromListView(const ListRows* lstView, const std::string& sDirectiveName,
                                                int NoOfParams, int nFirstParam,
                                                std::int32_t lParentDirectiveNo);
    int UpdateScopeDirectiveParameterList(const std::string& sParam, std::int32_t lDirectiveNo);
    Directive* GetVHostDescriptionDirective(std::int32_t lParentVhost) const;
    int UpdateVhostDescription(const std::string& sDesc, std::int32_t lParentVhost);
    std::string FindServerNameOfVirtualHost(std::int32_t vhostNo) const; // "#NOTFOUND#" when absent
    bool IsPortExists(const std::string& sPort) const;

    // ---- writer -------------------------------------------------------
    // Rewrites FileName atomically; error 0x80040004 on failure (old file kept).
    // *changed (when given) tells whether the bytes on disk changed; a file
    // that already holds them is not written again.
    bool WriteFile(bool* changed = nullptr);
    // The bytes WriteFile would write, without touching the disk.
    std::string WriteToString();
    // The main file's bytes as WriteFile would write them, handed to sink in
    // pieces (a large file is never held twice); a sink returning false stops
    // the write with error 0x80040004.
    using ByteSink = std::function<bool(std::string_view)>;
    void WriteToSink(const ByteSink& sink);
    // Steps of the writer; they append to the output of a running write.
    bool WriteServerScopeDirectives();
    bool WriteDirectiveAndSub(Directive* dir);
    void ResetFileWriteStatus();

    // ---- snapshot -----------------------------------------------------
    bool Serialize();   // writes SnapshotPath atomically; error 0x80040004 on failure
    bool DeSerialize(); // replaces the model by SnapshotPath's records
    // The snapshot bytes / loading from bytes, without touching the disk.
    std::string SerializeToBytes() const;
    bool DeSerializeFromBytes(const std::string& bytes);

    // A text that cannot stand on a line of its own: a line break or NUL in
    // it, or a trailing backslash that would join the next line. Returns the
    // reason, "" when the text is fine.
    static std::string UnwritableReason(const std::string& text);

    // Called by Directive when a line held here changes number or parent.
    void invalidateIndex() { m_indexValid = false; }

private:
    struct WriteState;
    struct WriteBlock;
    struct Frame;
    struct LayoutFile;
    // Where a line stands in the file's bytes; d is nullptr for bytes that
    // belong to no line (blank lines).
    struct LayoutPiece
    {
        Directive* d;
        std::uint32_t begin;
        std::uint32_t length;
    };
    enum class LayoutState : std::uint8_t
    {
        None,    // no bytes known: writing regenerates
        Current, // m_files describe the files
        Pending  // loaded from a snapshot: the working copy gives the bytes when writing
    };

    void clearList();
    void appendOwned(std::unique_ptr<Directive> dir);
    Directive* newLine(); // a line from the chunks, owned here, not yet in the list
    void ensureIndex() const;
    void indexNumber(std::int32_t no, int pos) const;
    const std::vector<int>& childrenOf(std::int32_t no) const; // 0-based list positions, deleted included
    Directive* scopeDirective(std::int32_t no) const;
    bool convertOnDisk(std::string& converted);
    void loadRaw(std::string raw);
    // A line read from a file: numbered, in the list, parent tracked.
    Directive* appendReadLine(const std::string& text, std::int32_t no, Directive*& parent,
                              const Directive* outermost);
    bool refuse(const std::string& text);
    // Layout
    void attachWorkingCopy();
    // Builds the place of every line of m_files when it is not known; false
    // when the files cannot tell it (none, or changed behind the model).
    bool ensurePlaces();
    void layoutChanged() { m_placesValid = false; }
    // One output (and, when asked, piece list) per file of m_files.
    void writeKeepingLayout(std::vector<std::string>& outs, std::vector<std::vector<LayoutPiece>>* pieces,
                            const ByteSink* mainSink = nullptr);
    // Visits every piece in reading order: f(file index, piece index).
    void forEachInReadingOrder(const std::function<void(std::size_t, std::size_t)>& f) const;
    std::string snapshotFilesPath() const;
    static std::string filesRecord(const std::vector<LayoutFile>& files, const std::string& serverRoot);
    bool loadFilesRecord();
    static std::string dateNote(const std::string& text);

    // writer
    bool writeAll(std::string& out, std::vector<LayoutPiece>* pieces = nullptr);
    void prepareBlocks(WriteState& st) const;
    void runFrames(Frame first);
    Frame blockFrame(Directive* opener) const;
    void writeLine(const Directive* d);
    void writeSeparator();
    bool isBlockOpener(const Directive* d) const;
    const WriteBlock* blockOf(const Directive* d) const; // nullptr: not a matched foreign head

    std::string m_appFolder;
    std::string m_fileName;
    std::string m_snapshotPath;
    std::vector<Directive*> m_list; // index i+1 is m_list[i]; owned by the two below
    // Lines read from a file or a snapshot live in chunks (one allocation per
    // many lines); lines given to AddDirective keep their own allocation.
    struct LineChunk
    {
        explicit LineChunk(std::size_t capacity);
        ~LineChunk();
        LineChunk(const LineChunk&) = delete;
        LineChunk& operator=(const LineChunk&) = delete;
        Directive* lines;
        std::size_t capacity;
        std::size_t used = 0;
    };
    std::vector<std::unique_ptr<LineChunk>> m_chunks;
    std::vector<std::unique_ptr<Directive>> m_added;
    int m_readCount = 0;
    std::unique_ptr<Directive> m_server;

    // Lookup structures, rebuilt lazily after renumbering or reparenting.
    mutable bool m_indexValid = false;
    mutable std::unordered_map<std::int32_t, std::vector<int>> m_children;
    mutable std::vector<int> m_posByNo;                            // number -> first position, -1 none
    mutable std::unordered_map<std::int32_t, int> m_posByNoSparse; // numbers outside m_posByNo
    mutable std::int32_t m_maxNo = 0;

    WriteState* m_write = nullptr; // set while a write runs

    // The files as last read or written: [0] is the main file (FileName),
    // the others were brought in by Include lines.
    struct LayoutFile
    {
        std::string serverPath; // "" for a plain file
        std::string localPath;  // where its bytes are kept ("" for [0]: FileName)
        std::int32_t includedBy = 0;
        std::string bytes;
        std::vector<LayoutPiece> pieces; // its lines and gaps in file order
    };
    std::vector<LayoutFile> m_files;
    // The files of a tree as recorded beside the snapshot, until the
    // working copy is attached.
    std::vector<LayoutFile> m_recordedFiles;
    LayoutState m_layoutState = LayoutState::None;
    std::string m_serverRoot;
    // Where each line of m_files stands, valid until the files change.
    struct Place
    {
        std::uint32_t file;
        std::uint32_t piece;
        std::int32_t line;
    };
    std::unordered_map<const Directive*, Place> m_places;
    bool m_placesValid = false;
    bool m_placesUnavailable = false; // the working copy did not match this load
    std::size_t m_loadedCount = 0;    // lines loaded from the snapshot (first in m_list)
    bool m_normalize = false;
    std::string m_refusal;
};

} // namespace corvane

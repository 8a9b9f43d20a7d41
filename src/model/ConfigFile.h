#pragma once
// One server's configuration model: a flat list of numbered Directive lines
// with parent links. Reads httpd.conf, answers queries, applies edits, writes
// the file back and keeps the binary snapshot (Serialize.srl).
//
// Indexes are 1-based where the list is concerned (GetDirective(1) is the
// first line); scope numbers are DirectiveNo values of section heads, -1 for
// the main server. Unexpected failures throw corvane::CorvaneError.
#include "model/Directive.h"
#include "model/ListRows.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
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
        Current, // m_layoutBytes and m_pieces describe the file
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
    bool refuse(const std::string& text);
    // Layout
    // pieces: where every line went (nullptr: not needed).
    bool composeFile(std::string& out, std::vector<LayoutPiece>* pieces);
    void attachWorkingCopy();
    void writeKeepingLayout(std::string& out, std::vector<LayoutPiece>* pieces);
    void commitLayout(std::string&& bytes, std::vector<LayoutPiece>&& pieces);
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

    std::string m_layoutBytes;         // the file as last read or written
    std::vector<LayoutPiece> m_pieces; // its lines and gaps in file order
    LayoutState m_layoutState = LayoutState::None;
    std::size_t m_loadedCount = 0; // lines loaded from the snapshot (first in m_list)
    bool m_normalize = false;
    std::string m_refusal;
};

} // namespace corvane

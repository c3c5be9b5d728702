#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "game/show/vo/KVOElem.h"
#include "platform/TString.h"

namespace KEvent {
class Event;
}

namespace KVO {

// The rows of one category, in a shuffled order, and the position of the
// next one to hand out.
struct VOCategory {
    std::vector<std::shared_ptr<KVOElem>> rows;
    int32_t id = 0;
    size_t cursor = 0;
};

// Every line the show's voice speaks, read once from the voice-over table
// file: by id, and by category in a shuffled order that goes round without
// repeating a row before all have played. Made on first use. Main thread
// only.
class VOTable {
public:
    static VOTable* Instance();
    // The table when one exists, else null (never makes one).
    static VOTable* Existing();
    static void Destroy();

    // Reads the file (replacing what was loaded) and shuffles every
    // category with the show's random source. A missing or broken file
    // leaves the table empty, with a log line.
    void Load(const TString& file);

    // The row, or empty; never adds to the table.
    std::shared_ptr<KVOElem> FindById(int32_t id) const;
    // The category, made empty (and kept) when missing.
    VOCategory& GetCategory(int32_t id);
    // A row drawn from the show's random source; empty for no rows.
    std::shared_ptr<KVOElem> RandomOfCategory(VOCategory& category);
    // The row at the cursor, which moves on (back to the first row after
    // the last); empty for no rows.
    std::shared_ptr<KVOElem> NextOfCategory(VOCategory& category);
    // The next row's play event, or a dummy event for no rows.
    std::shared_ptr<KEvent::Event> PlayNextOfCategory(VOCategory& category);

    bool IsLoaded() const { return mLoaded; }
    const TString& GetFileName() const { return mFileName; }
    const std::vector<std::shared_ptr<KVOElem>>& GetRows() const { return mRows; }
    // Distinct ids held.
    size_t GetIdCount() const { return mById.size(); }

private:
    VOTable() = default;
    void ReadXml();
    void ShuffleCategories(VOCategory& category);

    TString mFileName;
    std::vector<std::shared_ptr<KVOElem>> mRows;
    std::map<int32_t, std::shared_ptr<KVOElem>> mById;
    std::map<int32_t, std::unique_ptr<VOCategory>> mByCategory;
    bool mLoaded = false;
};

} // namespace KVO

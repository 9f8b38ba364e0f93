// Records what a walk hands on: a settings group's walk over live items, or
// an index reading. The one harness of the walk tests.
#pragma once

#include <string>
#include <vector>

#include "base/workarea.h"
#include "snapshot/index_file.h"
#include "settings/settings_group.h"

namespace walktest {

struct Visit {
    std::string key;  // "<null>" for a name read from an index
    std::string name;
    int record;       // the index record's number; -1 for a live item
};

struct WalkRecorder {
    std::vector<Visit> visits;
    int stopAt = -1;  // the visitor stops the walk at this visit (0-based)

    void Reset() {
        visits.clear();
        stopAt = -1;
    }
    int Walk(LiveItemWalk walk) { return walk(nullptr, OnItem, this); }
    // Reads `indexName` in `directory` (WorkDirectory when null).
    int ReadIndex(LPCSTR indexName, LPCSTR directory = nullptr) {
        return VisitIndexNames(nullptr, directory ? directory : WorkDirectory, indexName, OnName, this);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const Visit& v : visits) names.push_back(v.name);
        return names;
    }
    std::vector<int> Records() const {
        std::vector<int> records;
        for (const Visit& v : visits) records.push_back(v.record);
        return records;
    }

    static int OnItem(void* context, LPCSTR keyName, LPCSTR displayName) {
        return Record(context, Visit{keyName ? keyName : "<null>", displayName, -1});
    }
    static int OnName(void* context, LPCSTR displayName, int record) {
        return Record(context, Visit{"<null>", displayName, record});
    }
    static int Record(void* context, const Visit& visit) {
        WalkRecorder* recorder = static_cast<WalkRecorder*>(context);
        recorder->visits.push_back(visit);
        return static_cast<int>(recorder->visits.size()) - 1 == recorder->stopAt ? 0 : 1;
    }
};

}  // namespace walktest

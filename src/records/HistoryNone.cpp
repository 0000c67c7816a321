// History - the browser's build, which keeps no history of answers yet: nothing is queued or read.
#include "records/History.h"

void StartHistory(const std::string&, int64_t) {}
bool HistoryOn() { return false; }
void QueueAnswer(const std::shared_ptr<const void>&, int, int, const std::string&, const std::string&, int, int, float) {}
void FlushHistory() {}
void StopHistory() {}
bool ReadHistory(const std::string&, const std::string&, const std::string*, std::vector<THistoryAnswer>& answers,
                 std::string&)
{
    answers.clear();
    return true;
}
std::string HistoryLocation() { return std::string(); }

// replay - plays a recorded game and prints its statistics, or records a new one.
//   replay <script>                                  play the script, statistics on standard output
//   replay record <mode 1-5> <seed> <last level> [keypad] <script out> <expected out>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "replay/Recorder.h"
#include "replay/Replay.h"

namespace {

int Usage()
{
    std::cerr << "usage: replay <script>\n"
                 "       replay record <mode 1-5> <seed> <last level> [keypad] <script out> <expected out>\n";
    return 2;
}

int Play(const std::string& path)
{
    std::ifstream in(path);
    if (!in) {
        std::cerr << "replay: cannot open " << path << "\n";
        return 2;
    }
    TReplayScript script;
    std::string error;
    if (!ParseReplayScript(in, script, error)) {
        std::cerr << "replay: " << path << ": " << error << "\n";
        return 2;
    }
    return PlayReplay(script, std::cout);
}

const char* const MODE_NAMES[] = {"Addition", "Subtraction", "Multiplication", "Division", "All of the Above"};

int Record(int argc, char** argv)
{
    if (argc != 7 && argc != 8)
        return Usage();
    TRecordPlan plan;
    plan.mode = std::atoi(argv[2]);
    plan.seed = std::atoi(argv[3]);
    plan.lastLevel = std::atoi(argv[4]);
    plan.keypad = argc == 8 && std::string(argv[5]) == "keypad";
    if (plan.mode < 1 || plan.mode > 5 || plan.lastLevel < 1 || (argc == 8 && !plan.keypad))
        return Usage();
    const std::string scriptPath = argv[argc - 2], expectedPath = argv[argc - 1];

    std::ostringstream recorded;
    TReplayScript script = RecordReplay(plan, recorded);
    std::ostringstream text;
    WriteReplayScript(text, script,
                      std::string(MODE_NAMES[plan.mode - 1]) + (plan.keypad ? ", chosen on the keypad" : "") +
                          ": levels 1 to " + std::to_string(plan.lastLevel - 1) +
                          " won with right and wrong answers, the time runs out in level " +
                          std::to_string(plan.lastLevel) + ",\nthen back to the title and Escape.");

    // The script alone must give the game the recording saw, or it is no replay.
    std::istringstream again(text.str());
    TReplayScript parsed;
    std::string error;
    if (!ParseReplayScript(again, parsed, error)) {
        std::cerr << "replay: the written script does not parse: " << error << "\n";
        return 1;
    }
    std::ostringstream replayed;
    PlayReplay(parsed, replayed);
    if (replayed.str() != recorded.str()) {
        std::cerr << "replay: replaying the script differs from the recording\n--- recorded\n"
                  << recorded.str() << "--- replayed\n" << replayed.str();
        return 1;
    }
    std::ofstream(scriptPath) << text.str();
    std::ofstream(expectedPath) << replayed.str();
    std::cout << replayed.str();
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2)
        return Play(argv[1]) == 0 ? 0 : 1;
    if (argc >= 2 && std::string(argv[1]) == "record")
        return Record(argc, argv);
    return Usage();
}

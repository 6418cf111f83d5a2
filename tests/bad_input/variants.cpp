// The table of damaged jobs. Record numbers are those of the small job in tests/bad_input/job:
//   small.inp  1 switches, 2 bar count, 3-6 material records M1-M4, 7-10 bars
//   small.dat  1-3 header, 4-23 nodes, 24-35 elements
//   small.tmp  1-3 header; blocks of three records (step record, two of node temperatures) at 4, 7, 10, 13
//   w.dat      1-2, 3-4, 5-6 element reals, 7 crack counts, 8-11 bar reals, 12 the closing record

#include "bad_input/variants.hpp"

#include <string_view>
#include <utility>

namespace tc::bad_input {

namespace {

using Damage = std::function<void(FileSet&)>;

std::string BaseName(std::string_view file) { return std::string(file.substr(file.rfind('/') + 1)); }

// A w.dat of a zero state for 12 elements and 4 bars, in its groups' layouts.
std::string ZeroInitialState() {
    const std::string eight = "  .000E+00  .000E+00  .000E+00  .000E+00  .000E+00  .000E+00  .000E+00  .000E+00\n";
    const std::string four = "  .000E+00  .000E+00  .000E+00  .000E+00\n";
    std::string text;
    for (int group = 0; group < 3; ++group) text += eight + four;
    text += "  0  0  0  0  0  0  0  0  0  0  0  0\n";
    for (int group = 0; group < 4; ++group) text += four;
    text += "  .000E+00  .000E+00  .000E+00  .000E+00  .000E+00  .000E+00  .000E+00  0\n";
    return text;
}

Damage SetField(const char* file, int record, int first, int last, std::string value) {
    return [=](FileSet& f) { SetColumns(f[file], record, first, last, value); };
}

// Iinit 1 with the zero state of w.dat, then the given damage.
Damage Restart(Damage more = {}) {
    return [more](FileSet& f) {
        SetColumns(f[Deck], 1, 6, 10, "1");
        f[InitialState] = ZeroInitialState();
        if (more) more(f);
    };
}

Expectation Refused(const char* file, int record, int first = 0, int last = 0, int stepsKept = 0,
                    bool listLikeReference = true) {
    return {Ending::AfterOutputs, BaseName(file), record, first, last, stepsKept, listLikeReference};
}

Expectation RefusedBeforeOutputs(const char* file, int record = 0) {
    return {Ending::BeforeOutputs, BaseName(file), record, 0, 0, 0, true};
}

Expectation Harmless(bool sameList = true) { return {Ending::Normally, "", 0, 0, 0, 0, sameList}; }

// Numeric fields: every layout the input uses, fields that are kept and fields read and dropped.
struct NumberField {
    const char* label;
    const char* file;
    int record, first, last;
    int stepsKept;
};

constexpr NumberField NumberFields[] = {
    {"Deck_IECHO", Deck, 1, 1, 5, 0},
    {"Deck_Iinit", Deck, 1, 6, 10, 0},
    {"Deck_NSTEEL", Deck, 2, 1, 5, 0},
    {"Deck_M1_first", Deck, 3, 1, 12, 0},
    {"Deck_M1_sixth", Deck, 3, 61, 72, 0},
    {"Deck_M2_fourth", Deck, 4, 37, 48, 0},
    {"Deck_M3_judge", Deck, 5, 13, 24, 0},
    {"Deck_M4_Rm2", Deck, 6, 25, 36, 0},
    {"Deck_bar_number", Deck, 7, 1, 5, 0},
    {"Deck_bar_SX", Deck, 7, 6, 20, 0},
    {"Deck_bar_SY", Deck, 8, 21, 35, 0},
    {"Deck_last_bar_AREA", Deck, 10, 36, 50, 0},
    {"Mesh_H1", Mesh, 1, 1, 5, 0},
    {"Mesh_NX", Mesh, 2, 1, 5, 0},
    {"Mesh_NELX", Mesh, 2, 6, 10, 0},
    {"Mesh_H3_third", Mesh, 3, 11, 15, 0},
    {"Mesh_node_number", Mesh, 4, 1, 10, 0},
    {"Mesh_node_X", Mesh, 4, 11, 20, 0},
    {"Mesh_last_node_Y", Mesh, 23, 21, 30, 0},
    {"Mesh_element_number", Mesh, 24, 1, 10, 0},
    {"Mesh_element_Node1", Mesh, 24, 11, 16, 0},
    {"Mesh_last_element_Node4", Mesh, 35, 29, 34, 0},
    {"Mesh_last_element_thickness", Mesh, 35, 35, 42, 0},
    {"Tmp_H1", Temperatures, 1, 1, 5, 0},
    {"Tmp_StepCount", Temperatures, 2, 1, 5, 0},
    {"Tmp_H3", Temperatures, 3, 1, 5, 0},
    {"Tmp_first_Nstep", Temperatures, 4, 1, 5, 0},
    {"Tmp_first_Age", Temperatures, 4, 6, 15, 0},
    {"Tmp_first_node_temperature", Temperatures, 5, 1, 10, 0},
    {"Tmp_twentieth_node_temperature", Temperatures, 6, 91, 100, 0},
    {"Tmp_third_block_Age", Temperatures, 10, 6, 15, 1},
    {"Tmp_third_block_temperature", Temperatures, 12, 41, 50, 1},
    {"Tmp_last_block_temperature", Temperatures, 15, 91, 100, 2},
    {"W_first_sigma", InitialState, 1, 1, 10, 0},
    {"W_depsc0_twelfth", InitialState, 6, 31, 40, 0},
    {"W_CrackCount_twelfth", InitialState, 7, 34, 36, 0},
    {"W_SigmaS_first", InitialState, 8, 1, 10, 0},
    {"W_ThermalStrain_fourth", InitialState, 11, 31, 40, 0},
    {"W_AgeOffset", InitialState, 12, 61, 70, 0},
    {"W_RmSwitch", InitialState, 12, 71, 73, 0},
};

// Texts that are no number.
const std::pair<const char*, std::string> NotNumbers[] = {
    {"letters", "abc"},
    {"two_points", "1.2.3"},
    {"lone_sign", "-"},
    {"tab", "1\t2"},
    {"nul", std::string("4\0", 2)},
    {"non_ascii", "1\xC3\xA9"},
    {"byte_ff", "\xFF"},
};

void AddNotNumbers(std::vector<Variant>& all) {
    for (const NumberField& f : NumberFields) {
        const bool restart = std::string_view(f.file) == InitialState;
        for (const auto& [label, text] : NotNumbers) {
            if (static_cast<int>(text.size()) > f.last - f.first + 1) continue;
            Damage damage = SetField(f.file, f.record, f.first, f.last, text);
            Expectation expect = Refused(f.file, f.record, f.first, f.last, f.stepsKept, !restart);
            all.push_back({std::string(f.label) + "_" + label, restart ? Restart(damage) : damage, expect});
        }
    }
    all.push_back({"Mesh_node_number_beyond_32_bits", SetField(Mesh, 4, 1, 10, "9999999999"),
                   Refused(Mesh, 4, 1, 10)});
    all.push_back({"Mesh_node_X_beyond_float", SetField(Mesh, 5, 11, 20, "1.0E39"), Refused(Mesh, 5, 11, 20)});
    all.push_back({"Deck_byte_order_mark", [](FileSet& f) { f[Deck].insert(0, "\xEF\xBB\xBF"); },
                   Refused(Deck, 1, 1, 5)});
}

void AddMissingFiles(std::vector<Variant>& all) {
    for (const char* file : {PathFile, TitleFile, Deck, Mesh, Temperatures}) {
        std::string name = BaseName(file);
        name[name.find('.')] = '_';
        all.push_back({"Missing_" + name, [file](FileSet& f) { f.erase(file); }, RefusedBeforeOutputs(file)});
    }
    all.push_back({"Path_empty", [](FileSet& f) { f[PathFile] = ""; }, RefusedBeforeOutputs(PathFile)});
    all.push_back({"Path_blank_line", [](FileSet& f) { f[PathFile] = "   \n"; }, RefusedBeforeOutputs(PathFile, 1)});
    all.push_back({"Path_without_separator", [](FileSet& f) { f[PathFile] = "job\n"; },
                   RefusedBeforeOutputs(PathFile, 1)});
    all.push_back({"Path_no_such_folder", [](FileSet& f) { f[PathFile] = "c:\\nowhere\n"; },
                   {Ending::BeforeOutputs, "nowhere/title.dat", 0, 0, 0, 0, true}});
    // A NUL byte would end the host's file name early: "small.inp" NUL names the deck for every job file,
    // and the outputs would overwrite it. Refused as a job name holding a control character.
    all.push_back({"Title_with_NUL_naming_the_deck", [](FileSet& f) { f[TitleFile] = std::string("small.inp\0\n", 11); },
                   RefusedBeforeOutputs(TitleFile)});
    all.push_back({"Path_with_NUL_in_the_folder", [](FileSet& f) { f[PathFile] = std::string("c:\\job\0x\n", 9); },
                   {Ending::BeforeOutputs, "job\\x00x/title.dat", 0, 0, 0, 0, true}});
    all.push_back({"Title_empty", [](FileSet& f) { f[TitleFile] = ""; }, RefusedBeforeOutputs(TitleFile)});
    all.push_back({"Title_blank_lines", [](FileSet& f) { f[TitleFile] = "\n   \n\t\n"; },
                   RefusedBeforeOutputs(TitleFile)});
}

// Each file ends early: the record named is the first one missing.
void AddTruncations(std::vector<Variant>& all) {
    const struct {
        const char* label;
        const char* file;
        int keep;
        int stepsKept;
    } cuts[] = {
        {"Deck_S1", Deck, 0, 0},          {"Deck_S2", Deck, 1, 0},           {"Deck_M1", Deck, 2, 0},
        {"Deck_M2", Deck, 3, 0},          {"Deck_M3", Deck, 4, 0},           {"Deck_M4", Deck, 5, 0},
        {"Deck_first_bar", Deck, 6, 0},   {"Deck_last_bar", Deck, 9, 0},     {"Mesh_H1", Mesh, 0, 0},
        {"Mesh_H2", Mesh, 1, 0},          {"Mesh_H3", Mesh, 2, 0},           {"Mesh_first_node", Mesh, 3, 0},
        {"Mesh_last_node", Mesh, 22, 0},  {"Mesh_first_element", Mesh, 23, 0},
        {"Mesh_last_element", Mesh, 34, 0},
        {"Tmp_H1", Temperatures, 0, 0},   {"Tmp_H2", Temperatures, 1, 0},    {"Tmp_H3", Temperatures, 2, 0},
        {"Tmp_first_step_record", Temperatures, 3, 0},
        {"Tmp_first_temperatures", Temperatures, 4, 0},
        {"Tmp_first_block_second_record", Temperatures, 5, 0},
        {"Tmp_second_block", Temperatures, 6, 0},
        {"Tmp_fewer_blocks_than_header", Temperatures, 12, 2},
        {"Tmp_last_block_after_step_record", Temperatures, 13, 2},
        {"Tmp_last_block_second_record", Temperatures, 14, 2},
    };
    for (const auto& c : cuts) {
        all.push_back({std::string("Truncated_") + c.label, [c](FileSet& f) { KeepRecords(f[c.file], c.keep); },
                       Refused(c.file, c.keep + 1, 0, 0, c.stepsKept)});
    }
    // A file cut inside a record: the part kept reads as padded with blanks, the next record is missing.
    all.push_back({"Cut_inside_a_node_record", [](FileSet& f) { CutRecord(f[Mesh], 10, 17); }, Refused(Mesh, 11)});
    all.push_back({"Cut_inside_a_bar_record", [](FileSet& f) { CutRecord(f[Deck], 8, 30); }, Refused(Deck, 9)});
    all.push_back({"Cut_inside_a_block", [](FileSet& f) { CutRecord(f[Temperatures], 11, 33); },
                   Refused(Temperatures, 12, 0, 0, 1)});
    all.push_back({"Tmp_header_counts_five_blocks", SetField(Temperatures, 2, 1, 5, "5"),
                   Refused(Temperatures, 16, 0, 0, 3)});
    all.push_back({"Tmp_header_counts_far_too_many", SetField(Temperatures, 2, 1, 5, "99999"),
                   Refused(Temperatures, 16, 0, 0, 3)});

    const struct {
        const char* label;
        int keep;
    } wcuts[] = {{"empty", 0}, {"first_group", 1}, {"crack_counts", 6}, {"bar_group", 7}, {"closing_record", 11}};
    for (const auto& c : wcuts) {
        all.push_back({std::string("Truncated_W_") + c.label,
                       Restart([keep = c.keep](FileSet& f) { KeepRecords(f[InitialState], keep); }),
                       Refused(InitialState, c.keep + 1, 0, 0, 0, false)});
    }
    all.push_back({"W_missing", Restart([](FileSet& f) { f.erase(InitialState); }),
                   Refused(InitialState, 0, 0, 0, 0, false)});
}

// Input the program refuses although every field is a number.
void AddRefusedValues(std::vector<Variant>& all) {
    const bool echoed = false;  // the refused value is in the list file, unlike the undamaged job's
    all.push_back({"NX_above_capacity", SetField(Mesh, 2, 1, 5, "701"), Refused(Mesh, 2, 1, 5, 0, echoed)});
    all.push_back({"NX_zero", SetField(Mesh, 2, 1, 5, "0"), Refused(Mesh, 2, 1, 5, 0, echoed)});
    all.push_back({"NX_negative", SetField(Mesh, 2, 1, 5, "-4"), Refused(Mesh, 2, 1, 5, 0, echoed)});
    all.push_back({"NELX_above_capacity", SetField(Mesh, 2, 6, 10, "701"), Refused(Mesh, 2, 6, 10, 0, echoed)});
    all.push_back({"NELX_zero", SetField(Mesh, 2, 6, 10, "0"), Refused(Mesh, 2, 6, 10, 0, echoed)});
    all.push_back({"NSTEEL_above_capacity", SetField(Deck, 2, 1, 5, "201"), Refused(Deck, 2, 1, 5, 0, echoed)});
    // Counts that disagree with the records: a node record read as an element, a missing element or bar.
    all.push_back({"NX_one_short", SetField(Mesh, 2, 1, 5, "19"), Refused(Mesh, 23, 17, 22, 0, echoed)});
    all.push_back({"NELX_one_more", SetField(Mesh, 2, 6, 10, "13"), Refused(Mesh, 36, 0, 0, 0, echoed)});
    all.push_back({"NSTEEL_one_more", SetField(Deck, 2, 1, 5, "5"), Refused(Deck, 11, 0, 0, 0, echoed)});
    all.push_back({"Corner_zero", SetField(Mesh, 25, 23, 28, "0"), Refused(Mesh, 25, 23, 28)});
    all.push_back({"Corner_above_NX", SetField(Mesh, 35, 29, 34, "21"), Refused(Mesh, 35, 29, 34)});
    all.push_back({"Corner_negative", SetField(Mesh, 24, 11, 16, "-1"), Refused(Mesh, 24, 11, 16)});
    all.push_back({"Bar_beside_the_section", SetField(Deck, 8, 6, 20, "500.0"), Refused(Deck, 8)});
    all.push_back({"Bar_below_the_section", SetField(Deck, 10, 21, 35, "-10.0"), Refused(Deck, 10)});
    // A step at age 0 or below has no strength (its heading shows the age read); the first block's age
    // is not used.
    all.push_back({"Step_at_age_zero", SetField(Temperatures, 7, 6, 15, "0.0"),
                   Refused(Temperatures, 7, 6, 15, 0, echoed)});
    all.push_back({"Step_at_negative_age", SetField(Temperatures, 10, 6, 15, "-2.0"),
                   Refused(Temperatures, 10, 6, 15, 1, echoed)});
    all.push_back({"Record_over_the_length_limit", SetField(Deck, 2, 2000000, 2000000, "x"), Refused(Deck, 2)});
}

// Damage that must do no harm.
void AddHarmless(std::vector<Variant>& all) {
    const char* everyFile[] = {PathFile, TitleFile, Deck, Mesh, Temperatures};
    auto forEachFile = [everyFile](std::function<void(std::string&)> edit) {
        return [everyFile, edit](FileSet& f) {
            for (const char* file : everyFile) edit(f[file]);
        };
    };
    all.push_back({"Mixed_CRLF_and_LF", forEachFile([](std::string& text) {
                       std::string out;
                       bool crlf = false;
                       for (const char c : text) {
                           if (c == '\n' && (crlf = !crlf)) out += '\r';
                           out += c;
                       }
                       text = out;
                   }),
                   Harmless()});
    all.push_back({"No_final_line_end", forEachFile([](std::string& text) {
                       if (!text.empty() && text.back() == '\n') text.pop_back();
                   }),
                   Harmless()});
    // Every record padded after its last read column; the path line and the title need a blank first.
    const std::pair<const char*, std::string> fills[] = {
        {"letters", " unread columns "},
        {"nul", std::string(" \0\0x\0", 5)},
        {"non_ascii", " \xC3\xA9\xFF\x80\xE2\x82\xAC"},
        {"tab", " \t\tx"},
    };
    for (const auto& [label, fill] : fills) {
        all.push_back({std::string("Lines_of_10000_characters_") + label,
                       forEachFile([fill = fill](std::string& text) { PadRecords(text, 10000, fill); }), Harmless()});
    }
    all.push_back({"Records_after_the_last_one_read", forEachFile([](std::string& text) {
                       text += std::string("junk\0\xFF 1.2.3 abc\n\n\t-\n", 20);
                   }),
                   Harmless()});
    all.push_back({"Restart_from_zero_state", Restart(), Harmless(false)});
}

}  // namespace

const std::vector<Variant>& AllVariants() {
    static const std::vector<Variant> all = [] {
        std::vector<Variant> v;
        AddMissingFiles(v);
        AddTruncations(v);
        AddNotNumbers(v);
        AddRefusedValues(v);
        AddHarmless(v);
        return v;
    }();
    return all;
}

const std::vector<std::string>& OutputFiles() {
    static const std::vector<std::string> names = {"job/small.out", "job/small.hss", "job/small.hci",
                                                   "job/small.hwd", "job/small.hcr", "job/small.hdp",
                                                   "job/small.hst", "job/small.sta", "job/small.hcj"};
    return names;
}

std::string EarlierContent(const std::string& name) { return " earlier run: " + name + "\r\n"; }

}  // namespace tc::bad_input

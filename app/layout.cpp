#include "layout.h"

#include "slot_names.h"

namespace dorimo {
namespace {

const COLORREF kBlue = RGB(0, 0, 255);

// "00" .. "23", and "00" .. "50" in steps of ten.
std::vector<std::string> two_digit_items(int count, int step) {
    std::vector<std::string> items;
    for (int i = 0; i < count; ++i) {
        const int v = i * step;
        items.push_back({static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)});
    }
    return items;
}
std::vector<std::string> hour_items() { return two_digit_items(24, 1); }
std::vector<std::string> minute_items() { return two_digit_items(6, 10); }

}  // namespace

std::vector<ControlSpec> form_layout() {
    std::vector<ControlSpec> l;
    auto add = [&](const std::string& name, Kind kind, int left, int top, int width, int height,
                   const std::string& text) -> ControlSpec& {
        ControlSpec control;
        control.name = name;
        control.kind = kind;
        control.left = left;
        control.top = top;
        control.width = width;
        control.height = height;
        control.text = text;
        l.push_back(control);
        return l.back();
    };

    // Heading line: day columns and the column titles.
    static const struct {
        const char* name;
        int left, width;
        const char* text;
        bool blue;
    } heading[] = {
        {"Label8", 48, 13, "日", true},          {"Label1", 64, 13, "月", false},
        {"Label3", 80, 13, "火", false},         {"Label4", 96, 13, "水", false},
        {"Label5", 112, 13, "木", false},        {"Label6", 128, 13, "金", false},
        {"Label7", 144, 13, "土", true},         {"Label10", 168, 52, "開始時刻", false},
        {"Label11", 248, 84, "実行ファイル名", false}, {"Label12", 456, 78, "前回実行日時", false},
        {"Label13", 616, 78, "次回実行日時", false},
    };
    for (const auto& h : heading) {
        ControlSpec& s = add(h.name, Kind::Label, h.left, 4, h.width, 12, h.text);
        s.bold = true;
        if (h.blue) s.colour = kBlue;
    }
    static const char* const row_labels[] = {"Label2", "Label14", "Label16", "Label18", "Label20"};
    static const char* const colon_labels[] = {"Label9", "Label15", "Label17", "Label19", "Label21"};
    for (int r = 0; r < 5; ++r) {
        const int y = 20 + 20 * r;
        add(row_labels[r], Kind::Label, 4, y, 30, 12, "登録" + kSlotDigits[r]);
        add(colon_labels[r], Kind::Label, 204, y + 4, 6, 12, "：");
    }

    // The controls that take the focus, in tab order.
    static const struct {
        const char* prefix;
        Kind kind;
        int left, width, height;
        const char* text;
        int limit;
        const char* hint;
        const char* shows_whole;
        const char* what;  // for a screen reader, after the slot
    } row_parts[] = {
        {"cbH", Kind::Combo, 168, 37, 20, "00", 2, "", "00", "開始時"},
        {"cbM", Kind::Combo, 208, 37, 20, "00", 2, "", "00", "開始分"},
        {"ex_path", Kind::Edit, 248, 185, 20, "notepad", 200, "max:200", "", heading[8].text},
        {"txtMAE", Kind::ReadOnlyEdit, 456, 109, 20, "", 0, "", "0000/00/00 00:00:00", heading[9].text},
        {"txtTUGI", Kind::ReadOnlyEdit, 616, 109, 20, "", 0, "", "0000/00/00 00:00:00", heading[10].text},
        {"btnGO", Kind::Button, 728, 33, 21, kCaptionDisarmed, 0, "", "", ""},  // its caption
    };
    // A slot's controls are named after the row's label ("登録1 開始時");
    // the day boxes after their column's heading ("登録1 日曜日").
    auto slot = [](int r) { return "登録" + kSlotDigits[r] + " "; };
    auto row = [&](int r) {
        const std::string& n = kSlotDigits[r];
        const int y = 20 + 20 * r;
        for (int d = 1; d <= kDayCount; ++d) {
            add(day_box_name(n, d), Kind::Check, 48 + 16 * (d - 1), y, 17, 17, "").reader_name =
                slot(r) + heading[d - 1].text + "曜日";
        }
        for (const auto& p : row_parts) {
            ControlSpec& s = add(p.prefix + n, p.kind, p.left, y, p.width, p.height, p.text);
            s.text_limit = p.limit;
            s.hint = p.hint;
            s.shows_whole = p.shows_whole;
            s.reader_name = slot(r) + p.what;
            if (p.kind == Kind::Combo) s.items = p.prefix == std::string("cbH") ? hour_items() : minute_items();
        }
    };
    auto bit_btn = [&](int r) {
        add("BitBtn" + kSlotDigits[r], Kind::BitBtn, 432, 20 + 20 * r, 21, 20, "").reader_name =
            slot(r) + "ファイルを選択";
    };

    ControlSpec& tray = add("btnTRAY", Kind::Button, 48, 126, 129, 19, "タスクトレイに格納");
    tray.font_height = 13;
    tray.hint = "タスクトレイに格納されます";
    add("chkTORAY", Kind::Check, 188, 128, 153, 17, "起動時にタスクトレイ格納").hint =
        "起動したら直ぐにタスクトレイに格納されます";
    row(0);
    row(1);
    ControlSpec& save = add("btnSAVE", Kind::Button, 636, 126, 89, 19, "設定保存");
    save.font_height = 13;
    save.hint = "現在の設定内容を保存します";
    bit_btn(0);
    bit_btn(1);
    row(2);
    bit_btn(2);
    row(3);
    bit_btn(3);
    row(4);
    bit_btn(4);
    add("MEMOMO", Kind::Memo, 4, 152, 757, 169, ">").reader_name = "ログ";
    for (int r = 0; r < 5; ++r)
        add("btnRUN" + kSlotDigits[r], Kind::Button, 568, 20 + 20 * r, 44, 21, "即実行").reader_name = slot(r);

    // Components without a window of their own.
    for (const std::string& n : kSlotDigits) add("Timer" + n, Kind::Timer, 0, 0, 0, 0, "");
    for (const std::string& n : kSlotDigits) add("OpenDialog" + n, Kind::OpenDialog, 0, 0, 0, 0, "");
    return l;
}

}  // namespace dorimo

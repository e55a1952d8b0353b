#include "app/menu_rows.h"

#include <array>

namespace vortexa {

namespace {

using enum TMenu;

constexpr TMenuRow Item(TMenu menu, const char* caption, const char* hint, TCommandId command,
                        int argument = 0, const char* shortcut = "") {
  return {menu, TRowKind::Item, caption, hint, shortcut, command, argument};
}
constexpr TMenuRow Check(TMenu menu, const char* caption, const char* hint, TCommandId command,
                         int argument = 0) {
  return {menu, TRowKind::Check, caption, hint, "", command, argument};
}
constexpr TMenuRow Radio(TMenu menu, const char* caption, const char* hint, TCommandId command,
                         int position) {
  return {menu, TRowKind::Radio, caption, hint, "", command, position};
}
constexpr TMenuRow Separator(TMenu menu) {
  return {menu, TRowKind::Separator};
}
constexpr TMenuRow Submenu(TMenu menu, const char* caption, const char* hint, TMenu opens,
                           bool hidden = false) {
  return {menu, TRowKind::Submenu, caption, hint, "", TCommandId::Draw, 0, opens, hidden};
}
constexpr TMenuRow Placeholder(TMenu menu, const char* caption = "", bool hidden = false) {
  return {menu, TRowKind::Placeholder, caption, "", "", TCommandId::Draw, 0, Bar, hidden};
}

constexpr std::array kMenuRows = {
    Submenu(Bar, "ファイル(&F)", "", File),
    Submenu(Bar, "表示(&V)", "", Display),
    Submenu(Bar, "お気に入り(&A)", "お気に入りフォルダの内容を表示します", Favorite),
    Submenu(Bar, "オプション(&O)", "", Option),
    Submenu(Bar, "ヘルプ(&H)", "", Help),

    Item(File, "画像を保存(&S)...", "現在の画像をファイルに保存します", TCommandId::SavePicture, 0,
         "Ctrl+S"),
    Item(File, "画像をコピー(&C)", "現在の画像をクリップボードにコピーします",
         TCommandId::CopyPicture, 0, "Ctrl+C"),
    Item(File, "指定サイズで保存(&T)...", "サイズを指定して画像を保存します",
         TCommandId::SaveAtSize),
    Item(File, "指定サイズでコピー(&B)...", "サイズを指定して画像をクリップボードにコピーします",
         TCommandId::CopyAtSize),
    Submenu(File, "JPEG画質(&J)", "JPEG形式で保存する際の画質を設定します", JpegQuality),
    Separator(File),
    Item(File, "壁紙に設定(&W)", "現在の画像を画面サイズで計算し、デスクトップの壁紙に設定します",
         TCommandId::Wallpaper),
    Item(File, "印刷(&P)...", "現在の画像を印刷します", TCommandId::PrintPicture),
    Separator(File),
    Item(File, "再現情報をコピー(&R)",
         "現在の画像の再現情報(テキスト)をクリップボードにコピーします", TCommandId::CopyText),
    Item(File, "再現情報を貼り付け(&V)",
         "再現情報(テキスト)をクリップボードから貼り付け、画像を再現します", TCommandId::PasteText),
    Separator(File),
    Item(File, "終了(&X)", "", TCommandId::Exit),

    Radio(JpegQuality, "低(&L)", "品質:低 / ファイルサイズ:小", TCommandId::SetJpegQuality, 0),
    Radio(JpegQuality, "中(&M)", "品質:中 / ファイルサイズ:中", TCommandId::SetJpegQuality, 1),
    Radio(JpegQuality, "高(&H)", "品質:高 / ファイルサイズ:大", TCommandId::SetJpegQuality, 2),

    Item(Display, "描画(&D)\tEnter", "再計算して描画します", TCommandId::Draw),
    Item(Display, "初期位置(&I)\tHome", "", TCommandId::Home),
    Separator(Display),
    Submenu(Display, "拡大(&M)\tPageUp", "画像を拡大します", TMenu::Magnify),
    Submenu(Display, "縮小(&R)\tPageDown", "画像を縮小します", Reduce),
    // Scrolling by menu is for the keyboard-minded; it stays out of sight.
    Submenu(Display, "スクロール(&C)", "任意の方向にスクロールします", TMenu::Scroll, true),
    Submenu(Display, "履歴(&H)", "履歴を表示します", History),
    Item(Display, "全画面表示(&F)", "全画面表示への移行/解除を行います", TCommandId::FullScreen, 0,
         "F11"),
    Submenu(Display, "画像エリアサイズ(&S)", "画像エリアのサイズを指定します", ImageSize),
    Separator(Display),
    Check(Display, "統計情報(&I)...", "各種統計情報ウインドウの表示/非表示を切替えます",
          TCommandId::StatisticsWindow),
    Check(Display, "数式指定(&E)...", "", TCommandId::FormulaWindow),

    Item(TMenu::Magnify, "２倍", "２倍に拡大します", TCommandId::Magnify, 3),
    Item(TMenu::Magnify, "４倍", "４倍に拡大します", TCommandId::Magnify, 2),
    Item(TMenu::Magnify, "８倍", "８倍に拡大します", TCommandId::Magnify, 1),
    Item(TMenu::Magnify, "16倍", "16倍に拡大します", TCommandId::Magnify, 0),
    Item(Reduce, "２分の１", "２分の１に縮小します", TCommandId::Magnify, 4),
    Item(Reduce, "４分の１", "４分の１に縮小します", TCommandId::Magnify, 5),
    Item(Reduce, "８分の１", "８分の１に縮小します", TCommandId::Magnify, 6),
    Item(Reduce, "16分の１", "16分の１に縮小します", TCommandId::Magnify, 7),

    // By direction tag; the centre (tag 4) does not move.
    Item(TMenu::Scroll, "左上", "左上にスクロールします", TCommandId::Scroll, 0),
    Item(TMenu::Scroll, "左", "左にスクロールします", TCommandId::Scroll, 1),
    Item(TMenu::Scroll, "左下", "左下にスクロールします", TCommandId::Scroll, 2),
    Item(TMenu::Scroll, "上", "上にスクロールします", TCommandId::Scroll, 3),
    Placeholder(TMenu::Scroll),
    Item(TMenu::Scroll, "下", "下にスクロールします", TCommandId::Scroll, 5),
    Item(TMenu::Scroll, "右上", "右上にスクロールします", TCommandId::Scroll, 6),
    Item(TMenu::Scroll, "右", "右にスクロールします", TCommandId::Scroll, 7),
    Item(TMenu::Scroll, "右下", "右下にスクロールします", TCommandId::Scroll, 8),

    Item(History, "前に戻る(&P)\tAlt+←", "前の履歴に戻ります", TCommandId::HistoryBack),
    Item(History, "次に進む(&N)\tAlt+→", "次の履歴に進みます", TCommandId::HistoryForward),
    Separator(History),

    // The sizes themselves come before these, from the presets and the settings.
    Separator(ImageSize),
    Item(ImageSize, "現サイズをメニューに追加(&A)", "現在の画像エリアサイズをメニューに追加します",
         TCommandId::AddImageSize),
    Item(ImageSize, "現サイズをメニューから削除(&D)",
         "現在の画像エリアサイズをメニューから削除します", TCommandId::DeleteImageSize),

    Item(Favorite, "追加(&A)...", "現在の画像をお気に入りの一覧に追加します",
         TCommandId::AddFavorite),
    Item(Favorite, "整理(&O)...", "お気に入りフォルダの内容を整理します",
         TCommandId::OrganizeFavorites),
    Separator(Favorite),
    Submenu(Favorite, "ツアー(&T)", "行き先を指定してツアーを実行します", TourDestinations),
    Item(Favorite, "ランダムツアー(&R)", "行き先をランダムに選びながら自動的にツアーを実行します",
         TCommandId::RandomTour, 0, "Ctrl+R"),
    Placeholder(Favorite, "オートツアー(&A)", true),
    Separator(Favorite),

    Submenu(Option, "拡大 / 縮小率(&M)", "一回の操作で拡大/縮小する率を設定します",
            TMenu::MagnifyRatio),
    Submenu(Option, "スクロール量(&C)", "一回の操作でスクロールする量を設定します",
            TMenu::MoveRatio, true),
    Check(Option, "マウス位置を中心に拡大/縮小(&W)",
          "ホイールでの拡大/縮小をマウスポインタの位置を中心に行います",
          TCommandId::SetZoomAtPointer),
    Separator(Option),
    Submenu(Option, "ツアー速度(&S)", "ツアー実行時の速度を設定します", TMenu::TourSpeed),
    Submenu(Option, "ツアー到着音(&T)", "ツアー到着時のお知らせ音を設定します", TMenu::TourSound),
    Submenu(Option, "特殊な機能制限(R)", "画面表示や高速化に関する機能を制限します", Restrict),

    Radio(TMenu::MagnifyRatio, "２倍 / ２分の１ (&2)", "", TCommandId::SetMagnifyRatio, 0),
    Radio(TMenu::MagnifyRatio, "４倍 / ４分の１ (&4)", "", TCommandId::SetMagnifyRatio, 1),
    Radio(TMenu::MagnifyRatio, "８倍 / ８分の１ (&8)", "", TCommandId::SetMagnifyRatio, 2),
    Radio(TMenu::MagnifyRatio, "16倍 / 16分の１ (&16)", "", TCommandId::SetMagnifyRatio, 3),
    Radio(TMenu::MoveRatio, "1/4画面", "", TCommandId::SetMoveRatio, 0),
    Radio(TMenu::MoveRatio, "半画面", "", TCommandId::SetMoveRatio, 1),
    Radio(TMenu::MoveRatio, "全画面", "", TCommandId::SetMoveRatio, 2),
    Radio(TMenu::TourSpeed, "低速(&L)", "拡大時:２倍 / 縮小時:４分の１", TCommandId::SetTourSpeed,
          0),
    Radio(TMenu::TourSpeed, "中速(&M)", "拡大時:４倍 / 縮小時:８分の１", TCommandId::SetTourSpeed,
          1),
    Radio(TMenu::TourSpeed, "高速(&H)", "拡大時:８倍 / 縮小時:16分の１", TCommandId::SetTourSpeed,
          2),
    Radio(TMenu::TourSpeed, "最高速(&S)", "拡大時:16倍 / 縮小時:16分の１", TCommandId::SetTourSpeed,
          3),
    Radio(TMenu::TourSound, "ファイル指定(&F)...", "", TCommandId::SetTourSound, 0),
    Radio(TMenu::TourSound, "オフ(&F)", "", TCommandId::SetTourSound, 1),

    // Each switch stands for one bit of the engine's options.
    Check(Restrict, "全画面での情報表示オフ(&F)", "全画面時、画面下端への情報表示をオフにします",
          TCommandId::SetOptions, 1),
    Check(Restrict, "拡大縮小動画オフ(&A)", "拡大/縮小時の動画をオフにします",
          TCommandId::SetOptions, 2),
    Separator(Restrict),
    Check(Restrict, "複数スレッド計算オフ(&T)", "複数スレッドでの計算による高速化をオフにします",
          TCommandId::SetOptions, 4),
    Check(Restrict, "集合内予測オフ(&P)", "集合内予測機能による高速化をオフにします",
          TCommandId::SetOptions, 8),
    Check(Restrict, "Y軸対称機能オフ(&Y)", "Y軸対称機能による高速化をオフにします",
          TCommandId::SetOptions, 16),
    Check(Restrict, "並列計算オフ(&S)", "並列計算による高速化をオフにします",
          TCommandId::SetOptions, 32),

    Item(Help, "ヘルプ表示(&H)", "うずまきらんどヘルプを表示します", TCommandId::ShowHelp, 0, "F1"),
    Separator(Help),
    Item(Help, "バージョン情報(&A)...", "", TCommandId::About),
};

}  // namespace

std::span<const TMenuRow> MenuRows() {
  return kMenuRows;
}

}  // namespace vortexa

#include "app/menu_rows.h"

#include <QtGlobal>
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
    Submenu(Bar, QT_TRANSLATE_NOOP("MenuRows", "ファイル(&F)"), "", File),
    Submenu(Bar, QT_TRANSLATE_NOOP("MenuRows", "表示(&V)"), "", Display),
    Submenu(Bar, QT_TRANSLATE_NOOP("MenuRows", "お気に入り(&A)"),
            QT_TRANSLATE_NOOP("MenuRows", "お気に入りフォルダの内容を表示します"), Favorite),
    Submenu(Bar, QT_TRANSLATE_NOOP("MenuRows", "オプション(&O)"), "", Option),
    Submenu(Bar, QT_TRANSLATE_NOOP("MenuRows", "ヘルプ(&H)"), "", Help),

    Item(File, QT_TRANSLATE_NOOP("MenuRows", "画像を保存(&S)..."),
         QT_TRANSLATE_NOOP("MenuRows", "現在の画像をファイルに保存します"), TCommandId::SavePicture,
         0, "Ctrl+S"),
    Item(File, QT_TRANSLATE_NOOP("MenuRows", "画像をコピー(&C)"),
         QT_TRANSLATE_NOOP("MenuRows", "現在の画像をクリップボードにコピーします"),
         TCommandId::CopyPicture, 0, "Ctrl+C"),
    Item(File, QT_TRANSLATE_NOOP("MenuRows", "指定サイズで保存(&T)..."),
         QT_TRANSLATE_NOOP("MenuRows", "サイズを指定して画像を保存します"), TCommandId::SaveAtSize),
    Item(File, QT_TRANSLATE_NOOP("MenuRows", "指定サイズでコピー(&B)..."),
         QT_TRANSLATE_NOOP("MenuRows", "サイズを指定して画像をクリップボードにコピーします"),
         TCommandId::CopyAtSize),
    Submenu(File, QT_TRANSLATE_NOOP("MenuRows", "JPEG画質(&J)"),
            QT_TRANSLATE_NOOP("MenuRows", "JPEG形式で保存する際の画質を設定します"), JpegQuality),
    Separator(File),
    Item(File, QT_TRANSLATE_NOOP("MenuRows", "壁紙に設定(&W)"),
         QT_TRANSLATE_NOOP("MenuRows",
                           "現在の画像を画面サイズで計算し、デスクトップの壁紙に設定します"),
         TCommandId::Wallpaper),
    Item(File, QT_TRANSLATE_NOOP("MenuRows", "印刷(&P)..."),
         QT_TRANSLATE_NOOP("MenuRows", "現在の画像を印刷します"), TCommandId::PrintPicture),
    Separator(File),
    Item(File, QT_TRANSLATE_NOOP("MenuRows", "再現情報をコピー(&R)"),
         QT_TRANSLATE_NOOP("MenuRows",
                           "現在の画像の再現情報(テキスト)をクリップボードにコピーします"),
         TCommandId::CopyText),
    Item(File, QT_TRANSLATE_NOOP("MenuRows", "再現情報を貼り付け(&V)"),
         QT_TRANSLATE_NOOP("MenuRows",
                           "再現情報(テキスト)をクリップボードから貼り付け、画像を再現します"),
         TCommandId::PasteText),
    Separator(File),
    Item(File, QT_TRANSLATE_NOOP("MenuRows", "終了(&X)"), "", TCommandId::Exit),

    Radio(JpegQuality, QT_TRANSLATE_NOOP("MenuRows", "低(&L)"),
          QT_TRANSLATE_NOOP("MenuRows", "品質:低 / ファイルサイズ:小"), TCommandId::SetJpegQuality,
          0),
    Radio(JpegQuality, QT_TRANSLATE_NOOP("MenuRows", "中(&M)"),
          QT_TRANSLATE_NOOP("MenuRows", "品質:中 / ファイルサイズ:中"), TCommandId::SetJpegQuality,
          1),
    Radio(JpegQuality, QT_TRANSLATE_NOOP("MenuRows", "高(&H)"),
          QT_TRANSLATE_NOOP("MenuRows", "品質:高 / ファイルサイズ:大"), TCommandId::SetJpegQuality,
          2),

    Item(Display, QT_TRANSLATE_NOOP("MenuRows", "描画(&D)\tEnter"),
         QT_TRANSLATE_NOOP("MenuRows", "再計算して描画します"), TCommandId::Draw),
    Item(Display, QT_TRANSLATE_NOOP("MenuRows", "初期位置(&I)\tHome"), "", TCommandId::Home),
    Separator(Display),
    Submenu(Display, QT_TRANSLATE_NOOP("MenuRows", "拡大(&M)\tPageUp"),
            QT_TRANSLATE_NOOP("MenuRows", "画像を拡大します"), TMenu::Magnify),
    Submenu(Display, QT_TRANSLATE_NOOP("MenuRows", "縮小(&R)\tPageDown"),
            QT_TRANSLATE_NOOP("MenuRows", "画像を縮小します"), Reduce),
    // Scrolling by menu is for the keyboard-minded; it stays out of sight.
    Submenu(Display, QT_TRANSLATE_NOOP("MenuRows", "スクロール(&C)"),
            QT_TRANSLATE_NOOP("MenuRows", "任意の方向にスクロールします"), TMenu::Scroll, true),
    Submenu(Display, QT_TRANSLATE_NOOP("MenuRows", "履歴(&H)"),
            QT_TRANSLATE_NOOP("MenuRows", "履歴を表示します"), History),
    Item(Display, QT_TRANSLATE_NOOP("MenuRows", "全画面表示(&F)"),
         QT_TRANSLATE_NOOP("MenuRows", "全画面表示への移行/解除を行います"), TCommandId::FullScreen,
         0, "F11"),
    Submenu(Display, QT_TRANSLATE_NOOP("MenuRows", "画像エリアサイズ(&S)"),
            QT_TRANSLATE_NOOP("MenuRows", "画像エリアのサイズを指定します"), ImageSize),
    Separator(Display),
    Check(Display, QT_TRANSLATE_NOOP("MenuRows", "統計情報(&I)..."),
          QT_TRANSLATE_NOOP("MenuRows", "各種統計情報ウインドウの表示/非表示を切替えます"),
          TCommandId::StatisticsWindow),
    Check(Display, QT_TRANSLATE_NOOP("MenuRows", "数式指定(&E)..."), "", TCommandId::FormulaWindow),

    Item(TMenu::Magnify, QT_TRANSLATE_NOOP("MenuRows", "２倍"),
         QT_TRANSLATE_NOOP("MenuRows", "２倍に拡大します"), TCommandId::Magnify, 3),
    Item(TMenu::Magnify, QT_TRANSLATE_NOOP("MenuRows", "４倍"),
         QT_TRANSLATE_NOOP("MenuRows", "４倍に拡大します"), TCommandId::Magnify, 2),
    Item(TMenu::Magnify, QT_TRANSLATE_NOOP("MenuRows", "８倍"),
         QT_TRANSLATE_NOOP("MenuRows", "８倍に拡大します"), TCommandId::Magnify, 1),
    Item(TMenu::Magnify, QT_TRANSLATE_NOOP("MenuRows", "16倍"),
         QT_TRANSLATE_NOOP("MenuRows", "16倍に拡大します"), TCommandId::Magnify, 0),
    Item(Reduce, QT_TRANSLATE_NOOP("MenuRows", "２分の１"),
         QT_TRANSLATE_NOOP("MenuRows", "２分の１に縮小します"), TCommandId::Magnify, 4),
    Item(Reduce, QT_TRANSLATE_NOOP("MenuRows", "４分の１"),
         QT_TRANSLATE_NOOP("MenuRows", "４分の１に縮小します"), TCommandId::Magnify, 5),
    Item(Reduce, QT_TRANSLATE_NOOP("MenuRows", "８分の１"),
         QT_TRANSLATE_NOOP("MenuRows", "８分の１に縮小します"), TCommandId::Magnify, 6),
    Item(Reduce, QT_TRANSLATE_NOOP("MenuRows", "16分の１"),
         QT_TRANSLATE_NOOP("MenuRows", "16分の１に縮小します"), TCommandId::Magnify, 7),

    // By direction tag; the centre (tag 4) does not move.
    Item(TMenu::Scroll, QT_TRANSLATE_NOOP("MenuRows", "左上"),
         QT_TRANSLATE_NOOP("MenuRows", "左上にスクロールします"), TCommandId::Scroll, 0),
    Item(TMenu::Scroll, QT_TRANSLATE_NOOP("MenuRows", "左"),
         QT_TRANSLATE_NOOP("MenuRows", "左にスクロールします"), TCommandId::Scroll, 1),
    Item(TMenu::Scroll, QT_TRANSLATE_NOOP("MenuRows", "左下"),
         QT_TRANSLATE_NOOP("MenuRows", "左下にスクロールします"), TCommandId::Scroll, 2),
    Item(TMenu::Scroll, QT_TRANSLATE_NOOP("MenuRows", "上"),
         QT_TRANSLATE_NOOP("MenuRows", "上にスクロールします"), TCommandId::Scroll, 3),
    Placeholder(TMenu::Scroll),
    Item(TMenu::Scroll, QT_TRANSLATE_NOOP("MenuRows", "下"),
         QT_TRANSLATE_NOOP("MenuRows", "下にスクロールします"), TCommandId::Scroll, 5),
    Item(TMenu::Scroll, QT_TRANSLATE_NOOP("MenuRows", "右上"),
         QT_TRANSLATE_NOOP("MenuRows", "右上にスクロールします"), TCommandId::Scroll, 6),
    Item(TMenu::Scroll, QT_TRANSLATE_NOOP("MenuRows", "右"),
         QT_TRANSLATE_NOOP("MenuRows", "右にスクロールします"), TCommandId::Scroll, 7),
    Item(TMenu::Scroll, QT_TRANSLATE_NOOP("MenuRows", "右下"),
         QT_TRANSLATE_NOOP("MenuRows", "右下にスクロールします"), TCommandId::Scroll, 8),

    Item(History, QT_TRANSLATE_NOOP("MenuRows", "前に戻る(&P)\tAlt+←"),
         QT_TRANSLATE_NOOP("MenuRows", "前の履歴に戻ります"), TCommandId::HistoryBack),
    Item(History, QT_TRANSLATE_NOOP("MenuRows", "次に進む(&N)\tAlt+→"),
         QT_TRANSLATE_NOOP("MenuRows", "次の履歴に進みます"), TCommandId::HistoryForward),
    Separator(History),

    // The sizes themselves come before these, from the presets and the settings.
    Separator(ImageSize),
    Item(ImageSize, QT_TRANSLATE_NOOP("MenuRows", "現サイズをメニューに追加(&A)"),
         QT_TRANSLATE_NOOP("MenuRows", "現在の画像エリアサイズをメニューに追加します"),
         TCommandId::AddImageSize),
    Item(ImageSize, QT_TRANSLATE_NOOP("MenuRows", "現サイズをメニューから削除(&D)"),
         QT_TRANSLATE_NOOP("MenuRows", "現在の画像エリアサイズをメニューから削除します"),
         TCommandId::DeleteImageSize),

    Item(Favorite, QT_TRANSLATE_NOOP("MenuRows", "追加(&A)..."),
         QT_TRANSLATE_NOOP("MenuRows", "現在の画像をお気に入りの一覧に追加します"),
         TCommandId::AddFavorite),
    Item(Favorite, QT_TRANSLATE_NOOP("MenuRows", "整理(&O)..."),
         QT_TRANSLATE_NOOP("MenuRows", "お気に入りフォルダの内容を整理します"),
         TCommandId::OrganizeFavorites),
    Separator(Favorite),
    Submenu(Favorite, QT_TRANSLATE_NOOP("MenuRows", "ツアー(&T)"),
            QT_TRANSLATE_NOOP("MenuRows", "行き先を指定してツアーを実行します"), TourDestinations),
    Item(Favorite, QT_TRANSLATE_NOOP("MenuRows", "ランダムツアー(&R)"),
         QT_TRANSLATE_NOOP("MenuRows", "行き先をランダムに選びながら自動的にツアーを実行します"),
         TCommandId::RandomTour, 0, "Ctrl+R"),
    Item(Favorite, QT_TRANSLATE_NOOP("MenuRows", "ツアーを動画に保存(&V)..."),
         QT_TRANSLATE_NOOP("MenuRows", "ツアーを撮影して動画ファイルに保存します"),
         TCommandId::SaveTourVideo),
    Placeholder(Favorite, QT_TRANSLATE_NOOP("MenuRows", "オートツアー(&A)"), true),
    Separator(Favorite),

    Submenu(Option, QT_TRANSLATE_NOOP("MenuRows", "拡大 / 縮小率(&M)"),
            QT_TRANSLATE_NOOP("MenuRows", "一回の操作で拡大/縮小する率を設定します"),
            TMenu::MagnifyRatio),
    Submenu(Option, QT_TRANSLATE_NOOP("MenuRows", "スクロール量(&C)"),
            QT_TRANSLATE_NOOP("MenuRows", "一回の操作でスクロールする量を設定します"),
            TMenu::MoveRatio, true),
    Check(Option, QT_TRANSLATE_NOOP("MenuRows", "マウス位置を中心に拡大/縮小(&W)"),
          QT_TRANSLATE_NOOP("MenuRows",
                            "ホイールでの拡大/縮小をマウスポインタの位置を中心に行います"),
          TCommandId::SetZoomAtPointer),
    Separator(Option),
    Submenu(Option, QT_TRANSLATE_NOOP("MenuRows", "ツアー速度(&S)"),
            QT_TRANSLATE_NOOP("MenuRows", "ツアー実行時の速度を設定します"), TMenu::TourSpeed),
    Submenu(Option, QT_TRANSLATE_NOOP("MenuRows", "ツアー到着音(&T)"),
            QT_TRANSLATE_NOOP("MenuRows", "ツアー到着時のお知らせ音を設定します"),
            TMenu::TourSound),
    Submenu(Option, QT_TRANSLATE_NOOP("MenuRows", "特殊な機能制限(R)"),
            QT_TRANSLATE_NOOP("MenuRows", "画面表示や高速化に関する機能を制限します"), Restrict),
    Separator(Option),
    Submenu(Option, QT_TRANSLATE_NOOP("MenuRows", "言語(&L)"),
            QT_TRANSLATE_NOOP("MenuRows", "画面に使う言語を選びます（次回の起動から有効）"),
            TMenu::Language),

    Radio(TMenu::MagnifyRatio, QT_TRANSLATE_NOOP("MenuRows", "２倍 / ２分の１ (&2)"), "",
          TCommandId::SetMagnifyRatio, 0),
    Radio(TMenu::MagnifyRatio, QT_TRANSLATE_NOOP("MenuRows", "４倍 / ４分の１ (&4)"), "",
          TCommandId::SetMagnifyRatio, 1),
    Radio(TMenu::MagnifyRatio, QT_TRANSLATE_NOOP("MenuRows", "８倍 / ８分の１ (&8)"), "",
          TCommandId::SetMagnifyRatio, 2),
    Radio(TMenu::MagnifyRatio, QT_TRANSLATE_NOOP("MenuRows", "16倍 / 16分の１ (&16)"), "",
          TCommandId::SetMagnifyRatio, 3),
    Radio(TMenu::MoveRatio, QT_TRANSLATE_NOOP("MenuRows", "1/4画面"), "", TCommandId::SetMoveRatio,
          0),
    Radio(TMenu::MoveRatio, QT_TRANSLATE_NOOP("MenuRows", "半画面"), "", TCommandId::SetMoveRatio,
          1),
    Radio(TMenu::MoveRatio, QT_TRANSLATE_NOOP("MenuRows", "全画面"), "", TCommandId::SetMoveRatio,
          2),
    Radio(TMenu::TourSpeed, QT_TRANSLATE_NOOP("MenuRows", "低速(&L)"),
          QT_TRANSLATE_NOOP("MenuRows", "拡大時:２倍 / 縮小時:４分の１"), TCommandId::SetTourSpeed,
          0),
    Radio(TMenu::TourSpeed, QT_TRANSLATE_NOOP("MenuRows", "中速(&M)"),
          QT_TRANSLATE_NOOP("MenuRows", "拡大時:４倍 / 縮小時:８分の１"), TCommandId::SetTourSpeed,
          1),
    Radio(TMenu::TourSpeed, QT_TRANSLATE_NOOP("MenuRows", "高速(&H)"),
          QT_TRANSLATE_NOOP("MenuRows", "拡大時:８倍 / 縮小時:16分の１"), TCommandId::SetTourSpeed,
          2),
    Radio(TMenu::TourSpeed, QT_TRANSLATE_NOOP("MenuRows", "最高速(&S)"),
          QT_TRANSLATE_NOOP("MenuRows", "拡大時:16倍 / 縮小時:16分の１"), TCommandId::SetTourSpeed,
          3),
    Radio(TMenu::TourSound, QT_TRANSLATE_NOOP("MenuRows", "ファイル指定(&F)..."), "",
          TCommandId::SetTourSound, 0),
    Radio(TMenu::TourSound, QT_TRANSLATE_NOOP("MenuRows", "オフ(&F)"), "", TCommandId::SetTourSound,
          1),
    // By position: the system's language, then each language by its own name,
    // which no translation changes.
    Radio(TMenu::Language, QT_TRANSLATE_NOOP("MenuRows", "システムの設定(&S)"),
          QT_TRANSLATE_NOOP("MenuRows", "システムのロケールに合わせます"), TCommandId::SetLanguage,
          0),
    Radio(TMenu::Language, "日本語(&J)", "", TCommandId::SetLanguage, 1),
    Radio(TMenu::Language, "English(&E)", "", TCommandId::SetLanguage, 2),

    // Each switch stands for one bit of the engine's options.
    Check(Restrict, QT_TRANSLATE_NOOP("MenuRows", "全画面での情報表示オフ(&F)"),
          QT_TRANSLATE_NOOP("MenuRows", "全画面時、画面下端への情報表示をオフにします"),
          TCommandId::SetOptions, 1),
    Check(Restrict, QT_TRANSLATE_NOOP("MenuRows", "拡大縮小動画オフ(&A)"),
          QT_TRANSLATE_NOOP("MenuRows", "拡大/縮小時の動画をオフにします"), TCommandId::SetOptions,
          2),
    Separator(Restrict),
    Check(Restrict, QT_TRANSLATE_NOOP("MenuRows", "複数スレッド計算オフ(&T)"),
          QT_TRANSLATE_NOOP("MenuRows", "複数スレッドでの計算による高速化をオフにします"),
          TCommandId::SetOptions, 4),
    Check(Restrict, QT_TRANSLATE_NOOP("MenuRows", "集合内予測オフ(&P)"),
          QT_TRANSLATE_NOOP("MenuRows", "集合内予測機能による高速化をオフにします"),
          TCommandId::SetOptions, 8),
    Check(Restrict, QT_TRANSLATE_NOOP("MenuRows", "Y軸対称機能オフ(&Y)"),
          QT_TRANSLATE_NOOP("MenuRows", "Y軸対称機能による高速化をオフにします"),
          TCommandId::SetOptions, 16),
    Check(Restrict, QT_TRANSLATE_NOOP("MenuRows", "並列計算オフ(&S)"),
          QT_TRANSLATE_NOOP("MenuRows", "並列計算による高速化をオフにします"),
          TCommandId::SetOptions, 32),

    Item(Help, QT_TRANSLATE_NOOP("MenuRows", "ヘルプ表示(&H)"),
         QT_TRANSLATE_NOOP("MenuRows", "うずまきらんどヘルプを表示します"), TCommandId::ShowHelp, 0,
         "F1"),
    Separator(Help),
    Item(Help, QT_TRANSLATE_NOOP("MenuRows", "バージョン情報(&A)..."), "", TCommandId::About),
};

}  // namespace

std::span<const TMenuRow> MenuRows() {
  return kMenuRows;
}

}  // namespace vortexa

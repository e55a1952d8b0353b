<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>Favorites</name>
    <message>
        <source>作者おすすめフォルダがバージョンアップされています。
置き替えてもよろしいですか?
もしここで置き替えなくても、お気に入りの整理画面から
osusume.favファイルを読み込めば、いつでも置き替え
可能です。</source>
        <translation>A newer version of the Author&apos;s picks folder has come with the program.
Replace your copy now?
If you keep it, you can replace it at any time by loading
osusume.fav in Organise favourites.</translation>
    </message>
    <message>
        <source>お気に入り</source>
        <translation>Favourites</translation>
    </message>
    <message>
        <source>フォルダ「%1」は、もう一つのうずまきらんどが加えたお気に入りを含むため削除しませんでした。</source>
        <translation>The folder “%1” was not deleted: it holds favourites that the other copy of Vortexa added.</translation>
    </message>
    <message>
        <source>「%1」は、もう一つのうずまきらんどで変更または削除されていたため、こちらの変更を別に加えました。</source>
        <translation>“%1” had been changed or deleted in the other copy of Vortexa, so this copy&apos;s version was added beside it.</translation>
    </message>
    <message>
        <source>「%1」は、もう一つのうずまきらんどで移動先の上に移されていたため、移動しませんでした。</source>
        <translation>“%1” was not moved: the other copy of Vortexa had put its destination inside it.</translation>
    </message>
    <message>
        <source>フォルダ「%1」は、もう一つのうずまきらんどで移動先の上に移されていたため、移動しませんでした。</source>
        <translation>The folder “%1” was not moved: the other copy of Vortexa had put its destination inside it.</translation>
    </message>
    <message>
        <source>フォルダ「%1」は、もう一つのうずまきらんどで変更または削除されていたため、作り直しました。</source>
        <translation>The folder “%1” had been changed or deleted in the other copy of Vortexa, so it was made again.</translation>
    </message>
</context>
<context>
    <name>MenuRows</name>
    <message>
        <source>全画面表示(&amp;F)</source>
        <translation>&amp;Full screen</translation>
    </message>
    <message>
        <source>全画面表示解除(&amp;F)</source>
        <translation>Leave &amp;full screen</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>お気に入り(&amp;A)</source>
        <translation>F&amp;avourites</translation>
    </message>
    <message>
        <source>お気に入りフォルダの内容を表示します</source>
        <translation>Shows your favourites</translation>
    </message>
    <message>
        <source>オプション(&amp;O)</source>
        <translation>&amp;Options</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>画像を保存(&amp;S)...</source>
        <translation>&amp;Save image...</translation>
    </message>
    <message>
        <source>現在の画像をファイルに保存します</source>
        <translation>Saves the picture to a file</translation>
    </message>
    <message>
        <source>画像をコピー(&amp;C)</source>
        <translation>&amp;Copy image</translation>
    </message>
    <message>
        <source>現在の画像をクリップボードにコピーします</source>
        <translation>Copies the picture to the clipboard</translation>
    </message>
    <message>
        <source>指定サイズで保存(&amp;T)...</source>
        <translation>Save a&amp;t size...</translation>
    </message>
    <message>
        <source>サイズを指定して画像を保存します</source>
        <translation>Saves the picture at a size you choose</translation>
    </message>
    <message>
        <source>指定サイズでコピー(&amp;B)...</source>
        <translation>Copy at si&amp;ze...</translation>
    </message>
    <message>
        <source>サイズを指定して画像をクリップボードにコピーします</source>
        <translation>Copies the picture to the clipboard at a size you choose</translation>
    </message>
    <message>
        <source>JPEG画質(&amp;J)</source>
        <translation>&amp;JPEG quality</translation>
    </message>
    <message>
        <source>JPEG形式で保存する際の画質を設定します</source>
        <translation>Sets the quality of pictures saved as JPEG</translation>
    </message>
    <message>
        <source>壁紙に設定(&amp;W)</source>
        <translation>Set as &amp;wallpaper</translation>
    </message>
    <message>
        <source>現在の画像を画面サイズで計算し、デスクトップの壁紙に設定します</source>
        <translation>Computes the picture at the size of the screen and makes it the desktop wallpaper</translation>
    </message>
    <message>
        <source>印刷(&amp;P)...</source>
        <translation>&amp;Print...</translation>
    </message>
    <message>
        <source>現在の画像を印刷します</source>
        <translation>Prints the picture</translation>
    </message>
    <message>
        <source>再現情報をコピー(&amp;R)</source>
        <translation>Copy &amp;reproduction text</translation>
    </message>
    <message>
        <source>現在の画像の再現情報(テキスト)をクリップボードにコピーします</source>
        <translation>Copies the text that reproduces the picture to the clipboard</translation>
    </message>
    <message>
        <source>再現情報を貼り付け(&amp;V)</source>
        <translation>P&amp;aste reproduction text</translation>
    </message>
    <message>
        <source>再現情報(テキスト)をクリップボードから貼り付け、画像を再現します</source>
        <translation>Pastes reproduction text from the clipboard and draws its picture</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>低(&amp;L)</source>
        <translation>&amp;Low</translation>
    </message>
    <message>
        <source>品質:低 / ファイルサイズ:小</source>
        <translation>Quality: low / file size: small</translation>
    </message>
    <message>
        <source>中(&amp;M)</source>
        <translation>&amp;Medium</translation>
    </message>
    <message>
        <source>品質:中 / ファイルサイズ:中</source>
        <translation>Quality: medium / file size: medium</translation>
    </message>
    <message>
        <source>高(&amp;H)</source>
        <translation>&amp;High</translation>
    </message>
    <message>
        <source>品質:高 / ファイルサイズ:大</source>
        <translation>Quality: high / file size: large</translation>
    </message>
    <message>
        <source>描画(&amp;D)	Enter</source>
        <translation>&amp;Draw	Enter</translation>
    </message>
    <message>
        <source>再計算して描画します</source>
        <translation>Computes and draws the picture again</translation>
    </message>
    <message>
        <source>初期位置(&amp;I)	Home</source>
        <translation>&amp;Initial position	Home</translation>
    </message>
    <message>
        <source>拡大(&amp;M)	PageUp</source>
        <translation>&amp;Magnify	PageUp</translation>
    </message>
    <message>
        <source>画像を拡大します</source>
        <translation>Magnifies the picture</translation>
    </message>
    <message>
        <source>縮小(&amp;R)	PageDown</source>
        <translation>&amp;Reduce	PageDown</translation>
    </message>
    <message>
        <source>画像を縮小します</source>
        <translation>Reduces the picture</translation>
    </message>
    <message>
        <source>スクロール(&amp;C)</source>
        <translation>S&amp;croll</translation>
    </message>
    <message>
        <source>任意の方向にスクロールします</source>
        <translation>Scrolls in any direction</translation>
    </message>
    <message>
        <source>履歴(&amp;H)</source>
        <translation>&amp;History</translation>
    </message>
    <message>
        <source>履歴を表示します</source>
        <translation>Shows the history</translation>
    </message>
    <message>
        <source>全画面表示への移行/解除を行います</source>
        <translation>Enters or leaves full screen</translation>
    </message>
    <message>
        <source>画像エリアサイズ(&amp;S)</source>
        <translation>Picture area &amp;size</translation>
    </message>
    <message>
        <source>画像エリアのサイズを指定します</source>
        <translation>Sets the size of the picture area</translation>
    </message>
    <message>
        <source>統計情報(&amp;I)...</source>
        <translation>S&amp;tatistics...</translation>
    </message>
    <message>
        <source>各種統計情報ウインドウの表示/非表示を切替えます</source>
        <translation>Shows or hides the statistics window</translation>
    </message>
    <message>
        <source>数式指定(&amp;E)...</source>
        <translation>Formula &amp;editor...</translation>
    </message>
    <message>
        <source>２倍</source>
        <translation>×2</translation>
    </message>
    <message>
        <source>２倍に拡大します</source>
        <translation>Magnifies 2 times</translation>
    </message>
    <message>
        <source>４倍</source>
        <translation>×4</translation>
    </message>
    <message>
        <source>４倍に拡大します</source>
        <translation>Magnifies 4 times</translation>
    </message>
    <message>
        <source>８倍</source>
        <translation>×8</translation>
    </message>
    <message>
        <source>８倍に拡大します</source>
        <translation>Magnifies 8 times</translation>
    </message>
    <message>
        <source>16倍</source>
        <translation>×16</translation>
    </message>
    <message>
        <source>16倍に拡大します</source>
        <translation>Magnifies 16 times</translation>
    </message>
    <message>
        <source>２分の１</source>
        <translation>1/2</translation>
    </message>
    <message>
        <source>２分の１に縮小します</source>
        <translation>Reduces to 1/2</translation>
    </message>
    <message>
        <source>４分の１</source>
        <translation>1/4</translation>
    </message>
    <message>
        <source>４分の１に縮小します</source>
        <translation>Reduces to 1/4</translation>
    </message>
    <message>
        <source>８分の１</source>
        <translation>1/8</translation>
    </message>
    <message>
        <source>８分の１に縮小します</source>
        <translation>Reduces to 1/8</translation>
    </message>
    <message>
        <source>16分の１</source>
        <translation>1/16</translation>
    </message>
    <message>
        <source>16分の１に縮小します</source>
        <translation>Reduces to 1/16</translation>
    </message>
    <message>
        <source>左上</source>
        <translation>Up left</translation>
    </message>
    <message>
        <source>左上にスクロールします</source>
        <translation>Scrolls up and to the left</translation>
    </message>
    <message>
        <source>左</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>左にスクロールします</source>
        <translation>Scrolls to the left</translation>
    </message>
    <message>
        <source>左下</source>
        <translation>Down left</translation>
    </message>
    <message>
        <source>左下にスクロールします</source>
        <translation>Scrolls down and to the left</translation>
    </message>
    <message>
        <source>上</source>
        <translation>Up</translation>
    </message>
    <message>
        <source>上にスクロールします</source>
        <translation>Scrolls up</translation>
    </message>
    <message>
        <source>下</source>
        <translation>Down</translation>
    </message>
    <message>
        <source>下にスクロールします</source>
        <translation>Scrolls down</translation>
    </message>
    <message>
        <source>右上</source>
        <translation>Up right</translation>
    </message>
    <message>
        <source>右上にスクロールします</source>
        <translation>Scrolls up and to the right</translation>
    </message>
    <message>
        <source>右</source>
        <translation>Right</translation>
    </message>
    <message>
        <source>右にスクロールします</source>
        <translation>Scrolls to the right</translation>
    </message>
    <message>
        <source>右下</source>
        <translation>Down right</translation>
    </message>
    <message>
        <source>右下にスクロールします</source>
        <translation>Scrolls down and to the right</translation>
    </message>
    <message>
        <source>前に戻る(&amp;P)	Alt+←</source>
        <translation>&amp;Previous	Alt+←</translation>
    </message>
    <message>
        <source>前の履歴に戻ります</source>
        <translation>Goes back to the previous view</translation>
    </message>
    <message>
        <source>次に進む(&amp;N)	Alt+→</source>
        <translation>&amp;Next	Alt+→</translation>
    </message>
    <message>
        <source>次の履歴に進みます</source>
        <translation>Goes forward to the next view</translation>
    </message>
    <message>
        <source>現サイズをメニューに追加(&amp;A)</source>
        <translation>&amp;Add current size to menu</translation>
    </message>
    <message>
        <source>現在の画像エリアサイズをメニューに追加します</source>
        <translation>Adds the current size of the picture area to this menu</translation>
    </message>
    <message>
        <source>現サイズをメニューから削除(&amp;D)</source>
        <translation>&amp;Delete current size from menu</translation>
    </message>
    <message>
        <source>現在の画像エリアサイズをメニューから削除します</source>
        <translation>Removes the current size of the picture area from this menu</translation>
    </message>
    <message>
        <source>追加(&amp;A)...</source>
        <translation>&amp;Add...</translation>
    </message>
    <message>
        <source>現在の画像をお気に入りの一覧に追加します</source>
        <translation>Adds the picture to your favourites</translation>
    </message>
    <message>
        <source>整理(&amp;O)...</source>
        <translation>&amp;Organise...</translation>
    </message>
    <message>
        <source>お気に入りフォルダの内容を整理します</source>
        <translation>Organises your favourites</translation>
    </message>
    <message>
        <source>ツアー(&amp;T)</source>
        <translation>&amp;Tour</translation>
    </message>
    <message>
        <source>行き先を指定してツアーを実行します</source>
        <translation>Tours to a destination you choose</translation>
    </message>
    <message>
        <source>ランダムツアー(&amp;R)</source>
        <translation>&amp;Random tour</translation>
    </message>
    <message>
        <source>行き先をランダムに選びながら自動的にツアーを実行します</source>
        <translation>Tours on its own, choosing each destination at random</translation>
    </message>
    <message>
        <source>オートツアー(&amp;A)</source>
        <translation>A&amp;uto tour</translation>
    </message>
    <message>
        <source>拡大 / 縮小率(&amp;M)</source>
        <translation>&amp;Zoom ratio</translation>
    </message>
    <message>
        <source>一回の操作で拡大/縮小する率を設定します</source>
        <translation>Sets how far one step zooms in or out</translation>
    </message>
    <message>
        <source>スクロール量(&amp;C)</source>
        <translation>S&amp;croll step</translation>
    </message>
    <message>
        <source>一回の操作でスクロールする量を設定します</source>
        <translation>Sets how far one step scrolls</translation>
    </message>
    <message>
        <source>マウス位置を中心に拡大/縮小(&amp;W)</source>
        <translation>&amp;Wheel zooms at the mouse position</translation>
    </message>
    <message>
        <source>ホイールでの拡大/縮小をマウスポインタの位置を中心に行います</source>
        <translation>The wheel zooms about the mouse pointer</translation>
    </message>
    <message>
        <source>ツアー速度(&amp;S)</source>
        <translation>Tour &amp;speed</translation>
    </message>
    <message>
        <source>ツアー実行時の速度を設定します</source>
        <translation>Sets the speed of tours</translation>
    </message>
    <message>
        <source>ツアー到着音(&amp;T)</source>
        <translation>&amp;Tour arrival sound</translation>
    </message>
    <message>
        <source>ツアー到着時のお知らせ音を設定します</source>
        <translation>Sets the sound played when a tour arrives</translation>
    </message>
    <message>
        <source>特殊な機能制限(R)</source>
        <translation>Special restrictions</translation>
    </message>
    <message>
        <source>画面表示や高速化に関する機能を制限します</source>
        <translation>Turns off display features and speed-ups</translation>
    </message>
    <message>
        <source>言語(&amp;L)</source>
        <translation>&amp;Language</translation>
    </message>
    <message>
        <source>画面に使う言語を選びます（次回の起動から有効）</source>
        <translation>Chooses the language of the windows (from the next start)</translation>
    </message>
    <message>
        <source>２倍 / ２分の１ (&amp;2)</source>
        <translation>×2 / 1/2 (&amp;2)</translation>
    </message>
    <message>
        <source>４倍 / ４分の１ (&amp;4)</source>
        <translation>×4 / 1/4 (&amp;4)</translation>
    </message>
    <message>
        <source>８倍 / ８分の１ (&amp;8)</source>
        <translation>×8 / 1/8 (&amp;8)</translation>
    </message>
    <message>
        <source>16倍 / 16分の１ (&amp;16)</source>
        <translation>×16 / 1/16 (&amp;16)</translation>
    </message>
    <message>
        <source>1/4画面</source>
        <translation>1/4 screen</translation>
    </message>
    <message>
        <source>半画面</source>
        <translation>Half screen</translation>
    </message>
    <message>
        <source>全画面</source>
        <translation>Whole screen</translation>
    </message>
    <message>
        <source>低速(&amp;L)</source>
        <translation>&amp;Low</translation>
    </message>
    <message>
        <source>拡大時:２倍 / 縮小時:４分の１</source>
        <translation>Zooming in: ×2 / zooming out: 1/4</translation>
    </message>
    <message>
        <source>中速(&amp;M)</source>
        <translation>&amp;Medium</translation>
    </message>
    <message>
        <source>拡大時:４倍 / 縮小時:８分の１</source>
        <translation>Zooming in: ×4 / zooming out: 1/8</translation>
    </message>
    <message>
        <source>高速(&amp;H)</source>
        <translation>&amp;High</translation>
    </message>
    <message>
        <source>拡大時:８倍 / 縮小時:16分の１</source>
        <translation>Zooming in: ×8 / zooming out: 1/16</translation>
    </message>
    <message>
        <source>最高速(&amp;S)</source>
        <translation>&amp;Swiftest</translation>
    </message>
    <message>
        <source>拡大時:16倍 / 縮小時:16分の１</source>
        <translation>Zooming in: ×16 / zooming out: 1/16</translation>
    </message>
    <message>
        <source>ファイル指定(&amp;F)...</source>
        <translation>Choose &amp;file...</translation>
    </message>
    <message>
        <source>オフ(&amp;F)</source>
        <translation>&amp;Off</translation>
    </message>
    <message>
        <source>システムの設定(&amp;S)</source>
        <translation>&amp;System setting</translation>
    </message>
    <message>
        <source>システムのロケールに合わせます</source>
        <translation>Follows the locale of the system</translation>
    </message>
    <message>
        <source>全画面での情報表示オフ(&amp;F)</source>
        <translation>No information in &amp;full screen</translation>
    </message>
    <message>
        <source>全画面時、画面下端への情報表示をオフにします</source>
        <translation>Shows no information at the bottom of the screen in full screen</translation>
    </message>
    <message>
        <source>拡大縮小動画オフ(&amp;A)</source>
        <translation>No zoom &amp;animation</translation>
    </message>
    <message>
        <source>拡大/縮小時の動画をオフにします</source>
        <translation>Zooms without animation</translation>
    </message>
    <message>
        <source>複数スレッド計算オフ(&amp;T)</source>
        <translation>No multiple &amp;threads</translation>
    </message>
    <message>
        <source>複数スレッドでの計算による高速化をオフにします</source>
        <translation>Turns off the speed-up from computing in several threads</translation>
    </message>
    <message>
        <source>集合内予測オフ(&amp;P)</source>
        <translation>No in-set &amp;prediction</translation>
    </message>
    <message>
        <source>集合内予測機能による高速化をオフにします</source>
        <translation>Turns off the speed-up from predicting dots inside the set</translation>
    </message>
    <message>
        <source>Y軸対称機能オフ(&amp;Y)</source>
        <translation>No &amp;Y-axis symmetry</translation>
    </message>
    <message>
        <source>Y軸対称機能による高速化をオフにします</source>
        <translation>Turns off the speed-up from the symmetry about the Y axis</translation>
    </message>
    <message>
        <source>並列計算オフ(&amp;S)</source>
        <translation>No &amp;SIMD computing</translation>
    </message>
    <message>
        <source>並列計算による高速化をオフにします</source>
        <translation>Turns off the speed-up from parallel (SIMD) computing</translation>
    </message>
    <message>
        <source>ヘルプ表示(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>うずまきらんどヘルプを表示します</source>
        <translation>Shows the Vortexa manual</translation>
    </message>
    <message>
        <source>バージョン情報(&amp;A)...</source>
        <translation>&amp;About...</translation>
    </message>
    <message>
        <source>ツアーを動画に保存(&amp;V)...</source>
        <translation>Save tour as &amp;video...</translation>
    </message>
    <message>
        <source>ツアーを撮影して動画ファイルに保存します</source>
        <translation>Films a tour and saves it as a video file</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>演算子が抜けています</source>
        <translation>An operator is missing</translation>
    </message>
    <message>
        <source>数値が大きすぎてオーバーフローしました</source>
        <translation>The number is too large and overflowed</translation>
    </message>
    <message>
        <source>数値を表す文字列が不正です</source>
        <translation>The number is not written correctly</translation>
    </message>
    <message>
        <source>演算子の直後に閉じ括弧があります</source>
        <translation>A closing bracket follows an operator</translation>
    </message>
    <message>
        <source>括弧内が空です</source>
        <translation>The brackets are empty</translation>
    </message>
    <message>
        <source>&quot;)&quot; が多すぎます</source>
        <translation>Too many &quot;)&quot;</translation>
    </message>
    <message>
        <source>演算子の位置が不正です</source>
        <translation>An operator is out of place</translation>
    </message>
    <message>
        <source>演算子が連続しています</source>
        <translation>Two operators in a row</translation>
    </message>
    <message>
        <source>関数名の後に括弧が抜けています</source>
        <translation>A bracket is missing after the function&apos;s name</translation>
    </message>
    <message>
        <source>利用できない文字です</source>
        <translation>This character cannot be used</translation>
    </message>
    <message>
        <source>演算子が抜けているか、定数/変数/関数として利用できない名前です</source>
        <translation>An operator is missing, or this name is no constant, variable or function</translation>
    </message>
    <message>
        <source>式が途中で切れています</source>
        <translation>The formula ends too early</translation>
    </message>
    <message>
        <source>&quot;)&quot; が足りません</source>
        <translation>A &quot;)&quot; is missing</translation>
    </message>
    <message>
        <source>ゼロ除算</source>
        <translation>division by zero</translation>
    </message>
    <message>
        <source>オーバーフロー</source>
        <translation>overflow</translation>
    </message>
    <message>
        <source>不正な演算</source>
        <translation>invalid operation</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>うずまきらんど</source>
        <translation>Vortexa</translation>
    </message>
    <message>
        <source>範囲には 0 より大きい数を指定してください</source>
        <translation>The range must be a number greater than 0</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>設定ファイル %1 を読み込めません (%2)。このファイルは変更されず、設定は保存されません。</source>
        <translation>The settings file %1 cannot be read (%2). The file is left as it is, and the settings will not be saved.</translation>
    </message>
    <message>
        <source>設定ファイル %1 を読み込めません (%2)。元のファイルは %3 として残し、初期設定で起動します。</source>
        <translation>The settings file %1 cannot be read (%2). It has been kept as %3, and the program starts with the default settings.</translation>
    </message>
</context>
<context>
    <name>Tour</name>
    <message>
        <source>ツアー [行き先：%1]</source>
        <translation>Tour [heading for: %1]</translation>
    </message>
</context>
<context>
    <name>Wallpaper</name>
    <message>
        <source>壁紙を設定できませんでした: %1
%2
%3</source>
        <translation>The wallpaper could not be set: %1
%2
%3</translation>
    </message>
    <message>
        <source>このデスクトップの壁紙の設定には対応していません。</source>
        <translation>Setting the wallpaper of this desktop isn&apos;t supported.</translation>
    </message>
    <message>
        <source>壁紙を設定するモニターが見つかりませんでした。</source>
        <translation>No monitor was found to set the wallpaper on.</translation>
    </message>
</context>
<context>
    <name>vortexa::TDrawForm</name>
    <message>
        <source> 極短/16</source>
        <translation> XS/16</translation>
    </message>
    <message>
        <source> 極短/8</source>
        <translation> XS/8</translation>
    </message>
    <message>
        <source> 極短/4</source>
        <translation> XS/4</translation>
    </message>
    <message>
        <source> 極短/2</source>
        <translation> XS/2</translation>
    </message>
    <message>
        <source>極短周期</source>
        <translation>X-short</translation>
    </message>
    <message>
        <source>短周期</source>
        <translation>Short</translation>
    </message>
    <message>
        <source>中周期</source>
        <translation>Medium</translation>
    </message>
    <message>
        <source>長周期</source>
        <translation>Long</translation>
    </message>
    <message>
        <source>極長周期</source>
        <translation>X-long</translation>
    </message>
    <message>
        <source> 極長*2</source>
        <translation> XL*2</translation>
    </message>
    <message>
        <source> 極長*4</source>
        <translation> XL*4</translation>
    </message>
    <message>
        <source> 極長*8</source>
        <translation> XL*8</translation>
    </message>
    <message>
        <source> 極長*16</source>
        <translation> XL*16</translation>
    </message>
    <message>
        <source>うずまきらんど</source>
        <translation>Vortexa</translation>
    </message>
    <message>
        <source>X：</source>
        <translation>X:</translation>
    </message>
    <message>
        <source>中心点 X座標|中心点のX座標[有効桁数18桁]を指定/表示します</source>
        <translation>Centre X|The X coordinate of the centre (18 significant digits)</translation>
    </message>
    <message>
        <source>Y：</source>
        <translation>Y:</translation>
    </message>
    <message>
        <source>中心点 Y座標|中心点のY座標[有効桁数18桁]を指定/表示します</source>
        <translation>Centre Y|The Y coordinate of the centre (18 significant digits)</translation>
    </message>
    <message>
        <source>範囲：</source>
        <translation>Span:</translation>
    </message>
    <message>
        <source>中心点からの表示範囲|中心点からの表示範囲[有効桁数5桁]を指定/表示します</source>
        <translation>Range from the centre|How far the picture reaches from the centre (5 significant digits)</translation>
    </message>
    <message>
        <source>上限：</source>
        <translation>Limit:</translation>
    </message>
    <message>
        <source>反復数上限|反復計算回数の上限[1-100000000]を指定/表示します</source>
        <translation>Iteration limit|The most iterations computed for a dot (1-100000000)</translation>
    </message>
    <message>
        <source>描画</source>
        <translation>Draw</translation>
    </message>
    <message>
        <source>再計算して描画|再計算して描画します</source>
        <translation>Compute and draw|Computes and draws the picture again</translation>
    </message>
    <message>
        <source>色パレット|この色を元にして計算結果に着色します</source>
        <translation>Palette|The colours the picture is coloured from</translation>
    </message>
    <message>
        <source>１色</source>
        <translation>1</translation>
    </message>
    <message>
        <source>３色</source>
        <translation>3</translation>
    </message>
    <message>
        <source>６色</source>
        <translation>6</translation>
    </message>
    <message>
        <source>色周期|色パレットを計算結果に適用する周期を13段階で指定します</source>
        <translation>Colour period|How often the palette repeats, in 13 steps</translation>
    </message>
    <message>
        <source>ハイライト|ハイライト(明暗縞)の強さを調整します</source>
        <translation>Highlight|The strength of the highlight (light and dark bands)</translation>
    </message>
    <message>
        <source>鮮やかさ|鮮やかさを調整します</source>
        <translation>Saturation|Adjusts how vivid the colours are</translation>
    </message>
    <message>
        <source>厚</source>
        <translation>Thick</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>再計算して描画</source>
        <translation>Compute and draw</translation>
    </message>
    <message>
        <source>描画中止</source>
        <translation>Stop drawing</translation>
    </message>
    <message>
        <source>%1  演算エラーで %2 点を計算できませんでした (%3)</source>
        <translation>%1  %2 dots could not be computed: arithmetic error (%3)</translation>
    </message>
    <message>
        <source>凸 </source>
        <translation>raised </translation>
    </message>
    <message>
        <source>凹 </source>
        <translation>sunken </translation>
    </message>
    <message>
        <source>&lt;b&gt;うずまきらんど&lt;/b&gt; (Vortexa)&lt;br&gt;バージョン %1&lt;br&gt;&lt;br&gt;マンデルブロー集合の探索</source>
        <translation>&lt;b&gt;Vortexa&lt;/b&gt;&lt;br&gt;Version %1&lt;br&gt;&lt;br&gt;Exploring the Mandelbrot set</translation>
    </message>
    <message>
        <source>%1×%2 の画像に必要なメモリがありません</source>
        <translation>Not enough memory for a %1×%2 picture</translation>
    </message>
    <message>
        <source>お気に入りファイルは、もう一つのうずまきらんどでも変更されていました。
両方の変更を残して保存しました。
</source>
        <translation>The favourites file was also changed by another Vortexa.
Both sets of changes have been kept and saved.
</translation>
    </message>
    <message>
        <source>ビットマップファイル (*.bmp)</source>
        <translation>Bitmap files (*.bmp)</translation>
    </message>
    <message>
        <source>JPEGファイル (*.jpg *.jpeg *.jpe)</source>
        <translation>JPEG files (*.jpg *.jpeg *.jpe)</translation>
    </message>
    <message>
        <source>PNGファイル (*.png)</source>
        <translation>PNG files (*.png)</translation>
    </message>
    <message>
        <source>%1 には保存できません。
画像ファイルの拡張子は .bmp、.jpg、.jpeg、.jpe、.png のいずれかです。</source>
        <translation>Cannot save to %1.
A picture file ends in .bmp, .jpg, .jpeg, .jpe or .png.</translation>
    </message>
    <message>
        <source>画像保存先のファイル指定</source>
        <translation>Save picture as</translation>
    </message>
    <message>
        <source>拡大/縮小表示中</source>
        <translation>Shown zoomed</translation>
    </message>
    <message>
        <source>実画像サイズ %1×%2</source>
        <translation>Actual size %1×%2</translation>
    </message>
    <message>
        <source>このデスクトップ環境での壁紙の設定には対応していません。
対応しているのは GNOME、Cinnamon、MATE、KDE Plasma、XFCE です。</source>
        <translation>Setting the wallpaper of this desktop isn&apos;t supported.
Supported desktops are GNOME, Cinnamon, MATE, KDE Plasma and XFCE.</translation>
    </message>
    <message>
        <source>現在の画像を壁紙に設定します。よろしいですか？</source>
        <translation>Make the current picture the wallpaper?</translation>
    </message>
    <message>
        <source>フォルダを作成できません: %1</source>
        <translation>Cannot create the folder: %1</translation>
    </message>
    <message>
        <source>印刷を開始できません。</source>
        <translation>Printing cannot start.</translation>
    </message>
    <message>
        <source>印刷に失敗しました。</source>
        <translation>Printing failed.</translation>
    </message>
    <message>
        <source>全画面表示ではマウスカーソルを画面上端に動かすことにより、
メニュー、ツールバー類を表示することができます。</source>
        <translation>In full screen, move the mouse pointer to the top edge of the screen
to show the menus and tool bars.</translation>
    </message>
    <message>
        <source>ヘルプファイルが見つかりません。</source>
        <translation>The manual cannot be found.</translation>
    </message>
    <message>
        <source>ヘルプを表示するブラウザを起動できませんでした。
ヘルプは次のファイルです:
%1</source>
        <translation>No browser could be started to show the manual.
The manual is this file:
%1</translation>
    </message>
    <message>
        <source>表示言語は次回の起動から切り替わります。</source>
        <translation>The new language applies from the next start.</translation>
    </message>
    <message>
        <source>画像エリアを %1 にします</source>
        <translation>Makes the picture area %1</translation>
    </message>
    <message>
        <source>%1 をメニューから削除します。よろしいですか？</source>
        <translation>Remove %1 from the menu?</translation>
    </message>
    <message>
        <source>ランダムツアーは、お気に入りの中から行き先をランダムに
選んで行うツアーです。お気に入りを更に追加するか、
お気に入り整理でツアー対象を増やして下さい。</source>
        <translation>A random tour picks its destinations at random from your
favourites. Add more favourites, or mark more of them
for tours in Organise favourites.</translation>
    </message>
    <message>
        <source>ツアー実行中</source>
        <translation>Touring</translation>
    </message>
    <message>
        <source>ツアー|ツアーを開始します</source>
        <translation>Tour|Starts a tour</translation>
    </message>
    <message>
        <source>ランダムツアー</source>
        <translation>Random tour</translation>
    </message>
    <message>
        <source>行き先をランダムに選びながら自動的にツアーを実行します</source>
        <translation>Tours on its own, choosing each destination at random</translation>
    </message>
    <message>
        <source>[ 到   着 ]</source>
        <translation>[ Arrived ]</translation>
    </message>
    <message>
        <source>サウンドファイルの指定</source>
        <translation>Choose a sound file</translation>
    </message>
    <message>
        <source>サウンドファイル (*.wav)</source>
        <translation>Sound files (*.wav)</translation>
    </message>
    <message>
        <source>お気に入りを保存できませんでした。</source>
        <translation>The favourites could not be saved.</translation>
    </message>
    <message>
        <source>設定を保存できませんでした。</source>
        <translation>The settings could not be saved.</translation>
    </message>
    <message>
        <source>動画を保存中  %1/%2 コマ  残り %3</source>
        <translation>Saving video  %1/%2 frames  %3 left</translation>
    </message>
    <message>
        <source>動画を保存中  %1 コマ  経過 %2</source>
        <translation>Saving video  %1 frames  %2 so far</translation>
    </message>
    <message>
        <source>%1 コマの動画を保存しました (%2)</source>
        <translation>Saved a video of %1 frames (%2)</translation>
    </message>
</context>
<context>
    <name>vortexa::TExprsForm</name>
    <message>
        <source>初期値</source>
        <translation>Initial value</translation>
    </message>
    <message>
        <source>係数</source>
        <translation>Constant</translation>
    </message>
    <message>
        <source>数式指定</source>
        <translation>Formula</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>マンデルブロ図形(&amp;M)</source>
        <translation>&amp;Mandelbrot set</translation>
    </message>
    <message>
        <source>ジュリア図形(&amp;J)</source>
        <translation>&amp;Julia set</translation>
    </message>
    <message>
        <source>漸化式</source>
        <translation>Recurrence</translation>
    </message>
    <message>
        <source>有効</source>
        <translation>Use</translation>
    </message>
    <message>
        <source>横軸 - 変数ａ</source>
        <translation>Horizontal axis: a</translation>
    </message>
    <message>
        <source>縦軸 - 変数 b</source>
        <translation>Vertical axis: b</translation>
    </message>
    <message>
        <source>最小値：</source>
        <translation>Min:</translation>
    </message>
    <message>
        <source>現在値：</source>
        <translation>Value:</translation>
    </message>
    <message>
        <source>最大値：</source>
        <translation>Max:</translation>
    </message>
    <message>
        <source>初期値を計算できません。
%1</source>
        <translation>The initial value cannot be computed.
%1</translation>
    </message>
</context>
<context>
    <name>vortexa::TFavForm</name>
    <message>
        <source>はい(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>いいえ(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>すべてはい(&amp;A)</source>
        <translation>Yes to &amp;All</translation>
    </message>
    <message>
        <source>すべていいえ(&amp;L)</source>
        <translation>No to A&amp;ll</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>お気に入り保存先のファイル指定</source>
        <translation>Save favourites to</translation>
    </message>
    <message>
        <source>お気に入りのファイル指定</source>
        <translation>Load favourites from</translation>
    </message>
    <message>
        <source>お気に入りファイル(*.fav)</source>
        <translation>Favourites files (*.fav)</translation>
    </message>
    <message>
        <source>お気に入りに登録する名前を指定</source>
        <translation>The name of the new favourite</translation>
    </message>
    <message>
        <source>名前(&amp;N)：</source>
        <translation>&amp;Name:</translation>
    </message>
    <message>
        <source>作成先のフォルダを指定</source>
        <translation>The folder the favourite goes into</translation>
    </message>
    <message>
        <source>作成先(&amp;C)：</source>
        <translation>&amp;Create in:</translation>
    </message>
    <message>
        <source>フォルダツリー表示／非表示切替え</source>
        <translation>Show or hide the folder tree</translation>
    </message>
    <message>
        <source>ランダムツアー対象(&amp;R)</source>
        <translation>In &amp;random tours</translation>
    </message>
    <message>
        <source>フォルダ作成(&amp;O)</source>
        <translation>New f&amp;older</translation>
    </message>
    <message>
        <source>新規フォルダの作成</source>
        <translation>Create a new folder</translation>
    </message>
    <message>
        <source>削除(&amp;D)</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>フォルダまたはお気に入り項目の削除</source>
        <translation>Delete the folder or favourite</translation>
    </message>
    <message>
        <source>保存(&amp;S)...</source>
        <translation>&amp;Save...</translation>
    </message>
    <message>
        <source>ファイル保存</source>
        <translation>Save to a file</translation>
    </message>
    <message>
        <source>読み込み(&amp;L)...</source>
        <translation>&amp;Load...</translation>
    </message>
    <message>
        <source>ファイル読み込み</source>
        <translation>Load from a file</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>お気に入りの整理</source>
        <translation>Organise favourites</translation>
    </message>
    <message>
        <source>お気に入りに追加</source>
        <translation>Add favourite</translation>
    </message>
    <message>
        <source>新規フォルダ</source>
        <translation>New folder</translation>
    </message>
    <message>
        <source>&quot;%1&quot;とフォルダ内のすべてのお気に入りを削除してよろしいですか?</source>
        <translation>Delete &quot;%1&quot; and all the favourites in it?</translation>
    </message>
    <message>
        <source>&quot;%1&quot;を削除してよろしいですか?</source>
        <translation>Delete &quot;%1&quot;?</translation>
    </message>
    <message>
        <source>お気に入りのファイル保存はフォルダ単位で行います。
フォルダを一つだけ選択して下さい。</source>
        <translation>Favourites are saved to a file one folder at a time.
Please select a single folder.</translation>
    </message>
    <message>
        <source>読み込んだお気に入りファイルは全フォルダデータです。
現在のお気に入りをすべて置き替えますか?
置き替える場合は「はい」を、現在のお気に入りに追加
する場合は「いいえ」を押して下さい。</source>
        <translation>The file holds a complete set of favourites.
Replace all your current favourites with it?
Press &quot;Yes&quot; to replace them, or &quot;No&quot; to add the
file&apos;s favourites to your current ones.</translation>
    </message>
</context>
<context>
    <name>vortexa::TInfoForm</name>
    <message>
        <source>%1： %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>     範囲外： %1</source>
        <translation>    Outside: %1</translation>
    </message>
    <message>
        <source>統計情報</source>
        <translation>Statistics</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>集合外ドット数 =</source>
        <translation>Dots outside the set =</translation>
    </message>
    <message>
        <source>集合内ドット数 =</source>
        <translation>Dots inside the set =</translation>
    </message>
    <message>
        <source>(内上限越数 =&#x3000;&#x3000;&#x3000;&#x3000;&#x3000;&#x3000;)</source>
        <translation>(at the limit =&#x2003;&#x2003;&#x2003;&#x2003;&#x2003;&#x2003;)</translation>
    </message>
    <message>
        <source>(内予測数 =&#x3000;&#x3000;&#x3000;&#x3000;&#x3000;&#x3000;&#x3000; )</source>
        <translation>(predicted =&#x2003;&#x2003;&#x2003;&#x2003;&#x2003;&#x2003;&#x2003;)</translation>
    </message>
    <message>
        <source>ドット総数 =</source>
        <translation>Total dots =</translation>
    </message>
    <message>
        <source>最小：</source>
        <translation>Min:</translation>
    </message>
    <message>
        <source>最大：</source>
        <translation>Max:</translation>
    </message>
    <message>
        <source>→ 反復数による度数分布</source>
        <translation>→ Dots by iteration count</translation>
    </message>
    <message>
        <source>反復数</source>
        <translation>Iterations</translation>
    </message>
    <message>
        <source>－ ヒストグラム －</source>
        <translation>– Histogram –</translation>
    </message>
    <message>
        <source>上端(&amp;U)：</source>
        <translation>&amp;Upper end:</translation>
    </message>
    <message>
        <source>下端(&amp;D)：</source>
        <translation>&amp;Lower end:</translation>
    </message>
    <message>
        <source>自動変更</source>
        <translation>Auto adjust</translation>
    </message>
    <message>
        <source>ドット拡大</source>
        <translation>Magnify dots</translation>
    </message>
    <message>
        <source>・ドット属性</source>
        <translation>• Dot</translation>
    </message>
    <message>
        <source>・X =</source>
        <translation>• X =</translation>
    </message>
    <message>
        <source>・Y =</source>
        <translation>• Y =</translation>
    </message>
    <message>
        <source>集合内ドット</source>
        <translation>Inside the set</translation>
    </message>
    <message>
        <source>予測</source>
        <translation>Predicted</translation>
    </message>
    <message>
        <source>上限越</source>
        <translation>Reached the limit</translation>
    </message>
    <message>
        <source>集合外ドット</source>
        <translation>Outside the set</translation>
    </message>
    <message>
        <source>反復数 = %1</source>
        <translation>Iterations = %1</translation>
    </message>
</context>
<context>
    <name>vortexa::TSizeForm</name>
    <message>
        <source>画像サイズの指定</source>
        <translation>Picture size</translation>
    </message>
    <message>
        <source>横ドット数</source>
        <translation>Width (dots)</translation>
    </message>
    <message>
        <source>縦ドット数</source>
        <translation>Height (dots)</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>現在のサイズ &lt;%1×%2&gt;</source>
        <translation>Current size &lt;%1×%2&gt;</translation>
    </message>
    <message>
        <source>画面サイズ[壁紙用] &lt;%1×%2&gt;</source>
        <translation>Screen size [for wallpaper] &lt;%1×%2&gt;</translation>
    </message>
    <message>
        <source>画像サイズは縦横10ドット以上9999ドット以下を指定して下さい。</source>
        <translation>The width and height of a picture must each be between 10 and 9999 dots.</translation>
    </message>
</context>
<context>
    <name>vortexa::TTourVideoForm</name>
    <message>
        <source>ツアーを動画に保存</source>
        <translation>Save Tour as Video</translation>
    </message>
    <message>
        <source>参照(&amp;B)...</source>
        <translation>&amp;Browse...</translation>
    </message>
    <message>
        <source> 秒</source>
        <translation> s</translation>
    </message>
    <message>
        <source>到着まで(&amp;U)</source>
        <translation>&amp;Until arrival</translation>
    </message>
    <message>
        <source>ランダムツアー</source>
        <translation>Random tour</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>サイズ(&amp;S)</source>
        <translation>&amp;Size</translation>
    </message>
    <message>
        <source>コマ数/秒(&amp;R)</source>
        <translation>F&amp;rames per second</translation>
    </message>
    <message>
        <source>長さ(&amp;L)</source>
        <translation>&amp;Length</translation>
    </message>
    <message>
        <source>行き先(&amp;D)</source>
        <translation>&amp;Destination</translation>
    </message>
    <message>
        <source>動画保存先のファイル指定</source>
        <translation>Video File to Save To</translation>
    </message>
    <message>
        <source>MP4動画 (*.mp4)</source>
        <translation>MP4 video (*.mp4)</translation>
    </message>
</context>
</TS>

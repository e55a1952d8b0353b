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
</TS>

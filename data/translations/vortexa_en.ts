<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>RecommendedViews</name>
    <message>
        <source>作者おすすめ</source>
        <translation>Author&apos;s picks</translation>
    </message>
    <message>
        <source>全景</source>
        <translation>Whole set</translation>
    </message>
    <message>
        <source>タツノオトシゴの谷</source>
        <translation>Seahorse valley</translation>
    </message>
    <message>
        <source>象の行進</source>
        <translation>Elephant parade</translation>
    </message>
    <message>
        <source>三重の渦</source>
        <translation>Triple whirl</translation>
    </message>
    <message>
        <source>二重の渦</source>
        <translation>Double whirl</translation>
    </message>
    <message>
        <source>小さな島</source>
        <translation>Little island</translation>
    </message>
    <message>
        <source>稲妻</source>
        <translation>Lightning</translation>
    </message>
    <message>
        <source>花火</source>
        <translation>Fireworks</translation>
    </message>
    <message>
        <source>螺旋</source>
        <translation>Spiral</translation>
    </message>
    <message>
        <source>触手</source>
        <translation>Tentacles</translation>
    </message>
    <message>
        <source>尾</source>
        <translation>Tail</translation>
    </message>
    <message>
        <source>竜</source>
        <translation>Dragon</translation>
    </message>
    <message>
        <source>深海の渦</source>
        <translation>Deep-sea whirl</translation>
    </message>
    <message>
        <source>深淵</source>
        <translation>Abyss</translation>
    </message>
    <message>
        <source>遠い島</source>
        <translation>Distant island</translation>
    </message>
    <message>
        <source>極小の渦</source>
        <translation>Tiny whirl</translation>
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
</context>
</TS>

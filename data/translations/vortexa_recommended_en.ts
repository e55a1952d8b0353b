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
</TS>

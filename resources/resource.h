#pragma once
// Resource identifiers shared by Hueglass.rc and the program.
#define IDI_HUEGLASS 1

// The image collection: one icon resource per image, holding every size.
// IDI_HUEGLASS is also the tray image "Hueglass".
#define IDI_WIN78 101
#define IDI_WIN10B 102
#define IDI_WIN10W 103
#define IDI_CLOSE 110
#define IDI_DONATE 111

// The licence text (the LICENSE file), shown by the licence viewer.
#define IDR_LICENSE 200

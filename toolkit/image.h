#pragma once

#include <windows.h>

#include <cstddef>

// Images kept under numbers that the program chooses: BMP data becomes a bitmap
// compatible with the display, icon data becomes an icon.
namespace toolkit {

// The image table: 10 empty numbers in the program heap. Runs once at start-up.
void init_images();

// Makes an image from a BMP or icon file held in memory and keeps it under `number`,
// freeing what the number held first. Returns the bitmap or icon, or 0. Data that is not
// a BMP or icon file, or whose headers are not consistent (see image.cpp), gives 0 and
// leaves the number as it was; so do a negative number and a number the table cannot
// grow to hold.
HANDLE image_from_memory(int number, const void* data);
// The same for BMP data only; anything else gives 0 and leaves the number as it was.
HANDLE bitmap_from_memory(int number, const void* data);

// Deletes the image held by `number`; an empty number, or one outside the table, is left alone.
void free_image(int number);

// What `number` holds: its handle and the size and depth that the platform reports for
// it (for an icon, those of its colour bitmap); 0 for an empty number or one outside the table.
HANDLE image_handle(int number);
int image_width(int number);
int image_height(int number);
int image_depth(int number);

// Count of numbers the table holds now.
int image_capacity();

}  // namespace toolkit

// Sprites: the 4096 numbered picture slots loaded from BMP files, each with a linear
// texture for 2D drawing and a mipmapped one for 3D models, and the texture selection.
//
// Slots 0 to 4079 hold sprites; 4080 to 4095 hold fonts 0 to 15 (draw2d.h), which get
// one nearest-filtered texture with black as the transparent colour. Slot numbers are
// truncated; a number outside 0 to 4095 is ignored (sizes read as 0).
// Without an OpenGL context (GraphicsAvailable() false) loading makes no GL calls: it
// records the sizes and keeps the decoded texels, so levels load headless and tools can
// inspect pictures.
//
// Dependencies: bmp, builtin_font, files (ResolveFile), frame (GraphicsAvailable,
// GetGLProcAddress, HasGLExtension), OpenGL.
#pragma once

#include <cstdint>   // Required for: uint8_t
#include <vector>    // Required for: std::vector

#include "runtime/frame/strvalue.h"   // Required for: Number, StrValue

constexpr int kSpriteSlotCount = 4096;
constexpr int kFirstFontSlot = 4080;
constexpr int kFontCount = 16;

// Resolves the file (files.h); an unresolvable name leaves the slot as it was.
// Otherwise the slot is freed and the BMP loaded with the sprite colour key.
void LoadSprite(const StrValue& file, Number slot);
// Frees the slot, then loads the BMP at `path` with the given transparent colour
// (packed). Returns 1 when textures (or, headless, texels) were made; 0 when the file
// is missing or not a readable BMP (slot left freed) or of an unsupported depth (slot
// left without textures but with its sizes).
Number LoadBmpToSlot(Number slot, const StrValue& path, Number colourKey);
// Deletes both textures and marks the texture sizes -1; the picture size stays.
void FreeSprite(Number slot);
// Draws the picture unscaled with its top-left corner at (x, y), modulated by the
// current colour (the draw alpha).
void DrawSprite(Number slot, Number x, Number y);
// The picture size: 0 x 0 for a slot never loaded.
void GetSpriteSize(Number slot, Number& width, Number& height);

// Selects textures for the following drawing: texture [variant] (0 linear, 1 mipmapped)
// of the slot, and with the multitexture extension the second slot's on unit 0 and the
// slot's on unit 1. A negative slot turns texturing off.
void BindSpriteTexture(Number slot, Number secondSlot, Number variant);
// Turns texturing off on every unit without changing the remembered selection; for
// untextured drawing inside a saved OpenGL enable state.
void DisableTexturing();
// The last selection made with BindSpriteTexture.
void GetSpriteTextureSelection(Number& slot, Number& secondSlot, Number& variant);

// Read access for the 3D engine and tools.
// OpenGL texture name of texture [variant] of the slot; 0 when there is none.
Number GetSpriteTextureName(Number slot, Number variant);
// Power-of-two texture size: 0 never loaded, -1 freed or failed.
void GetSpriteTextureSize(Number slot, Number& width, Number& height);
// The decoded texels kept by a load without OpenGL (textureWidth x textureHeight RGBA,
// rows bottom-up); nullptr when the slot holds none.
const std::vector<uint8_t>* GetSpriteTexels(Number slot);

// Installs the built-in font picture in font slot n (0 to 15).
void InstallBuiltinFont(int font);

// Drops every texture name without deleting it, for when the OpenGL context that owned
// them is gone; the slots keep their sizes. Called when a new context starts.
void ForgetSpriteTextures();
// Tests only: take the path without the multitexture extension even when it exists.
void AllowMultitexture(bool allowed);

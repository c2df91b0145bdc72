#pragma once
// The sound library's flat call interface. Calls before ZEPL_Init or after
// ZEPL_Trash do nothing.

void ZEPL_Init(void* hwnd);
void ZEPL_Trash();
void ZEPL_StopMusic();
void ZEPL_PlaySound(int ch, const signed char* wave, long length, long sampleBytes, long channels, long freq);
void ZEPL_StopSound(int ch);
int ZEPL_Check(int ch);
void ZEPL_PlaySoundLocal(const signed char* wave, long length, long sampleBytes, long channels, long freq);

// The library's mixer while it runs (null before ZEPL_Init and after
// ZEPL_Trash): the player's volume and voice controls reach it here.
class ZesEffect;
ZesEffect* zeplEffect();

// The per-frame play step with the wave schedule.
#pragma once

void PlayStep();

// Written when the build is configured, from DH_SETUP_VERSION.
#pragma once
#define DH_SETUP_VERSION "1.0.4.8219"
#define DH_SETUP_VERSION_NUMBERS 1,0,4,8219

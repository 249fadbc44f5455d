// Reduces the running Windows version to one platform code.
#pragma once

int ClassifyPlatform();

#pragma once

// The host development system's installation folder, found through the registry.
namespace install {}

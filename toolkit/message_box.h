#pragma once

// Modal message boxes with the owner rule of the toolkit.
namespace toolkit {}

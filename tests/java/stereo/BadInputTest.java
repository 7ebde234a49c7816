package stereo;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static stereo.TestFrames.COLS;
import static stereo.TestFrames.HSV;
import static stereo.TestFrames.PLANE;
import static stereo.TestFrames.RGB;
import static stereo.TestFrames.ROWS;
import static stereo.TestFrames.SNAPSHOT;
import static stereo.TestFrames.at;

import java.io.IOException;
import java.io.RandomAccessFile;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.LinkOption;
import java.nio.file.Path;
import java.nio.file.attribute.PosixFilePermissions;
import java.util.List;
import java.util.Map;
import java.util.Set;
import java.util.TreeSet;
import java.util.stream.Stream;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/**
 * Arguments, scenes, snapshot folders, scene files and calibration paths that
 * a careless caller or a broken machine could hand the library: each gives a
 * result or one clear failure line, never a crash.
 */
class BadInputTest {
    private static int[] rgb;
    private static int[] hsv;

    @TempDir Path root;

    @BeforeAll
    static void loneCalls() {
        rgb = new brimlet().cppGrabImage(null, false, RGB);
        hsv = new brimlet().cppGrabImage(null, false, HSV);
    }

    // ---- arguments, in this JVM

    static Stream<Arguments> resolutions() {
        return Stream.of(
                Arguments.of("null", null),
                Arguments.of("empty", new int[0]),
                Arguments.of("length 1", new int[] {-1}),
                Arguments.of("negative sizes", new int[] {Integer.MIN_VALUE, -1}),
                Arguments.of("huge sizes", new int[] {Integer.MAX_VALUE, Integer.MAX_VALUE}),
                Arguments.of("length 10^7", new int[10_000_000]));
    }

    @ParameterizedTest(name = "{0}")
    @MethodSource("resolutions")
    void anyResolutionArgumentGivesTheSameFrame(String what, int[] resolution) {
        assertArrayEquals(rgb, new brimlet().cppGrabImage(resolution, false, RGB));
    }

    @ParameterizedTest(name = "mode {0}")
    @MethodSource("modes")
    void everyModeGivesRgbOrHsv(int mode) {
        assertArrayEquals(mode == RGB ? rgb : hsv, new brimlet().cppGrabImage(new int[] {0, 0}, false, mode));
    }

    static int[] modes() {
        return new int[] {
            Integer.MIN_VALUE, Integer.MIN_VALUE + 1, -1, 0, 1, 2, Integer.MAX_VALUE - 1, Integer.MAX_VALUE,
        };
    }

    @Test
    void aFullJavaHeapGivesOutOfMemoryErrorAndTheNextCallWorks() throws Exception {
        ChildRuns.Scenario child = new ChildRuns(root).runScenario(List.of("-Xmx64m"), Map.of(), "full-heap");
        assertEquals("", child.out());
        assertEquals(0, child.exitCode(), child.err());
        assertEquals(List.of("OutOfMemoryError", "returned " + 3 * PLANE), child.lines());
    }

    // ---- scenes, in a child JVM with SIMCAM_SCENE

    /** A side x side patch per grey level, 16 patches a row: all 256 levels. */
    private static final int GREY_PATCH = 16;

    private static Path greyLevelsScene(Path folder) throws IOException {
        int width = 16 * GREY_PATCH;
        byte[] pixels = new byte[width * width * 3];
        for (int y = 0; y < width; y++) {
            for (int x = 0; x < width; x++) {
                byte level = (byte) ((y / GREY_PATCH) * 16 + x / GREY_PATCH);
                for (int c = 0; c < 3; c++) {
                    pixels[(y * width + x) * 3 + c] = level;
                }
            }
        }
        Path scene = folder.resolve("grey-levels.ppm");
        TestFrames.writePpm(scene, width, width, pixels);
        return scene;
    }

    private static Path uniformScene(Path folder, int level) throws IOException {
        byte[] pixels = new byte[32 * 24 * 3];
        java.util.Arrays.fill(pixels, (byte) level);
        Path scene = folder.resolve("uniform-" + level + ".ppm");
        TestFrames.writePpm(scene, 32, 24, pixels);
        return scene;
    }

    static Stream<Arguments> uniformLevels() {
        return Stream.of(Arguments.of("black", 0), Arguments.of("white", 255));
    }

    @ParameterizedTest(name = "{0}")
    @MethodSource("uniformLevels")
    void aUniformSceneGivesThatLevelEverywhere(String what, int level) throws Exception {
        ChildRuns sandbox = new ChildRuns(root);
        TestFrames.Child child = sandbox.run(Map.of("SIMCAM_SCENE", uniformScene(root, level).toString()), false,
                RGB, HSV);
        ChildRuns.assertReturned(child, 2);
        int[] expectedHsv = {0, 0, level};
        for (int i = 0; i < PLANE; i++) {
            for (int c = 0; c < 3; c++) {
                assertEquals(level, child.arrays().get(0)[c * PLANE + i], "RGB plane " + c + " element " + i);
                assertEquals(expectedHsv[c], child.arrays().get(1)[c * PLANE + i], "HSV plane " + c + " element " + i);
            }
        }
    }

    @ParameterizedTest(name = "{0} camera")
    @MethodSource("cameraTypes")
    void everyGreyLevelComesBackExactlyAsRgbAndAsHueZeroSaturationZero(String type) throws Exception {
        ChildRuns sandbox = new ChildRuns(root);
        TestFrames.Child child = sandbox.run(
                Map.of("SIMCAM_SCENE", greyLevelsScene(root).toString(), "SIMCAM_TYPE", type), false, RGB, HSV);
        ChildRuns.assertReturned(child, 2);
        for (int level = 0; level < 256; level++) {
            // Patch centres, at least a third of a patch from any edge.
            int row = (2 * (level / 16) + 1) * ROWS / 32;
            int col = (2 * (level % 16) + 1) * COLS / 32;
            int[] expectedHsv = {0, 0, level};
            for (int c = 0; c < 3; c++) {
                assertEquals(level, at(child.arrays().get(0), c, row, col), "grey " + level + " RGB plane " + c);
                assertEquals(expectedHsv[c], at(child.arrays().get(1), c, row, col), "grey " + level + " HSV plane " + c);
            }
        }
    }

    static Stream<String> cameraTypes() {
        // A mono camera's luma of a grey pixel is that grey: (77 + 150 + 29) g / 256.
        return Stream.of("color", "mono");
    }

    // ---- snapshot targets, in a child JVM with its own working folder

    /** Sets up the working folder; says whether a snapshot can land at logging/pic0.ppm. */
    interface SnapshotTarget {
        boolean prepare(Path work) throws IOException;
    }

    static Stream<Arguments> snapshotTargets() {
        return Stream.of(
                Arguments.of("no logging folder", (SnapshotTarget) work -> false),
                Arguments.of("logging is a regular file", (SnapshotTarget) work -> {
                    Files.writeString(work.resolve("logging"), "not a folder");
                    return false;
                }),
                Arguments.of("logging/pic0.ppm is a folder", (SnapshotTarget) work -> {
                    Files.createDirectories(work.resolve("logging/pic0.ppm"));
                    return false;
                }),
                Arguments.of("logging/pic0.ppm is a dangling link", (SnapshotTarget) work -> {
                    Files.createDirectory(work.resolve("logging"));
                    Files.createSymbolicLink(work.resolve("logging/pic0.ppm"), work.resolve("nowhere/x.ppm"));
                    // The snapshot is renamed into place, which replaces the link itself.
                    return true;
                }),
                Arguments.of("logging is read-only", (SnapshotTarget) work -> {
                    Path logging = Files.createDirectory(work.resolve("logging"));
                    Files.setPosixFilePermissions(logging, PosixFilePermissions.fromString("r-xr-xr-x"));
                    // Root writes into a read-only folder regardless; anyone else cannot.
                    return isRoot(work);
                }));
    }

    private static boolean isRoot(Path ownFile) throws IOException {
        return (Integer) Files.getAttribute(ownFile, "unix:uid") == 0;
    }

    @ParameterizedTest(name = "{0}")
    @MethodSource("snapshotTargets")
    void aSnapshotThatCannotBeWrittenIsSilentAndTheCallReturns(String what, SnapshotTarget target) throws Exception {
        ChildRuns sandbox = new ChildRuns(root);
        boolean writable = target.prepare(sandbox.work);
        Set<String> before = ChildRuns.tree(sandbox.work);
        TestFrames.Child child = sandbox.run(Map.of(), true, RGB, HSV);
        ChildRuns.assertReturned(child, 2);
        assertArrayEquals(rgb, child.arrays().get(0));
        assertArrayEquals(hsv, child.arrays().get(1));
        // Nothing appears but the snapshot itself: no temporary file is left.
        Set<String> expected = new TreeSet<>(before);
        Path snapshot = sandbox.work.resolve("logging/pic0.ppm");
        if (SNAPSHOT && writable) {
            expected.add("logging/pic0.ppm");
            assertTrue(Files.isRegularFile(snapshot, LinkOption.NOFOLLOW_LINKS), "the snapshot replaced what was there");
            assertEquals(ROWS, TestFrames.readPpm(snapshot).height());
        }
        assertEquals(expected, ChildRuns.tree(sandbox.work), "files in the working folder");
    }

    // ---- scene files the simulated camera refuses: one line from flycaptureInitialize()

    private static final String SCENE_FAILURE = "ERROR: flycaptureInitialize() reported SIMCAM_SCENE ";

    /** Writes a bad scene (or returns a path that is none) and names a word its failure line holds. */
    interface BadScene {
        Path make(Path folder) throws IOException;
    }

    private static Path bytes(Path folder, String header, int pixelBytes) throws IOException {
        byte[] head = header.getBytes(StandardCharsets.US_ASCII);
        byte[] all = new byte[head.length + pixelBytes];
        System.arraycopy(head, 0, all, 0, head.length);
        return Files.write(folder.resolve("scene.ppm"), all);
    }

    static Stream<Arguments> badScenes() {
        return Stream.of(
                // As root, a file without read permission is still readable: absence and
                // a folder are the unreadable scenes every user can make.
                Arguments.of("missing", "cannot be read", (BadScene) folder -> folder.resolve("missing.ppm")),
                Arguments.of("a folder", "cannot be read", (BadScene) folder -> folder),
                Arguments.of("a name longer than a file name may be", "cannot be read",
                        (BadScene) folder -> folder.resolve("x".repeat(300) + ".ppm")),
                Arguments.of("empty", "truncated", (BadScene) folder -> bytes(folder, "", 0)),
                Arguments.of("truncated pixels", "truncated", (BadScene) folder -> bytes(folder, "P6\n64 48\n255\n", 64 * 48 * 3 - 1)),
                Arguments.of("truncated header", "truncated", (BadScene) folder -> bytes(folder, "P6\n64 4", 0)),
                Arguments.of("oversized by its header", "too large",
                        (BadScene) folder -> bytes(folder, "P6\n9000 9000\n255\n", 16)),
                Arguments.of("oversized file", "too large", (BadScene) folder -> {
                    // Sparse: the size alone must make the camera refuse it, unread.
                    Path scene = bytes(folder, "P6\n8192 4096\n255\n", 0);
                    try (RandomAccessFile file = new RandomAccessFile(scene.toFile(), "rw")) {
                        file.setLength(200L * 1024 * 1024);
                    }
                    return scene;
                }),
                Arguments.of("ASCII PPM", "not a binary PPM", (BadScene) folder -> Files.writeString(
                        folder.resolve("scene.ppm"), "P3\n1 1\n255\n0 0 0\n")),
                Arguments.of("16-bit PPM", "not a binary PPM", (BadScene) folder -> bytes(folder, "P6\n2 2\n65535\n", 24)),
                Arguments.of("zero width", "not a binary PPM", (BadScene) folder -> bytes(folder, "P6\n0 2\n255\n", 0)),
                Arguments.of("trailing bytes", "not a binary PPM", (BadScene) folder -> bytes(folder, "P6\n2 2\n255\n", 13)),
                Arguments.of("garbage", "not a binary PPM", (BadScene) folder -> Files.write(
                        folder.resolve("scene.ppm"), new byte[] {0x7f, 'E', 'L', 'F', 0, 1, 2, 3})));
    }

    @ParameterizedTest(name = "{0}")
    @MethodSource("badScenes")
    void aBadSceneFileIsOneClearLine(String what, String reason, BadScene scene) throws Exception {
        ChildRuns sandbox = new ChildRuns(root);
        Path folder = Files.createDirectories(root.resolve("scenes"));
        TestFrames.Child child = sandbox.run(Map.of("SIMCAM_SCENE", scene.make(folder).toString()), false, RGB);
        assertEquals(1, child.exitCode(), child.err());
        assertTrue(child.out().startsWith(SCENE_FAILURE), child.out());
        assertTrue(child.out().contains(reason), child.out());
        assertEquals(child.out().length() - 1, child.out().indexOf('\n'), "exactly one line");
        assertEquals(Set.of(), ChildRuns.tree(sandbox.tmp), "the camera failed before writing anything");
    }

    // ---- the calibration file the camera writes to TMPDIR on every call

    private static final String CALIBRATION_NOT_WRITTEN = "the calibration file cannot be written to the temporary folder (TMPDIR)";

    /** Sets up TMPDIR (returns the value to give it) for the calibration download. */
    interface CalibrationPlace {
        Path prepare(Path tmp, String calibrationName) throws IOException;
    }

    static Stream<Arguments> unwritableCalibrations() {
        return Stream.of(
                Arguments.of("calibration path is a folder", (CalibrationPlace) (tmp, name) -> {
                    Files.createDirectory(tmp.resolve(name));
                    return tmp;
                }),
                Arguments.of("TMPDIR is missing", (CalibrationPlace) (tmp, name) -> tmp.resolve("missing")),
                Arguments.of("TMPDIR is a regular file", (CalibrationPlace) (tmp, name) ->
                        Files.writeString(tmp.resolve("file"), "not a folder")),
                Arguments.of("TMPDIR is longer than a path may be", (CalibrationPlace) (tmp, name) ->
                        tmp.resolve(String.join("/", java.util.Collections.nCopies(40, "y".repeat(200))))));
    }

    @ParameterizedTest(name = "{0}")
    @MethodSource("unwritableCalibrations")
    void aCalibrationThatCannotBeWrittenIsOneLine(String what, CalibrationPlace place) throws Exception {
        ChildRuns sandbox = new ChildRuns(root);
        Path tmpdir = place.prepare(sandbox.tmp, ChildRuns.calibrationFileName(sandbox.tmp, 12));
        Set<String> prepared = ChildRuns.tree(sandbox.tmp);
        TestFrames.Child child = sandbox.run(Map.of("TMPDIR", tmpdir.toString()), false, RGB);
        ChildRuns.assertFailureLine(child, "flycaptureGetCalibrationFileFromCamera()", CALIBRATION_NOT_WRITTEN);
        assertEquals(prepared, ChildRuns.tree(sandbox.tmp), "no temporary file left behind");
    }

    @Test
    void aStaleMalformedCalibrationIsReplacedBeforeItIsRead() throws Exception {
        ChildRuns sandbox = new ChildRuns(root);
        String name = ChildRuns.calibrationFileName(sandbox.tmp, 12);
        Files.writeString(sandbox.tmp.resolve(name), "simcam-stereo-calibration 1\nsensors 9\n");
        TestFrames.Child child = sandbox.run(Map.of(), false, RGB);
        ChildRuns.assertReturned(child, 1);
        assertArrayEquals(rgb, child.arrays().get(0));
        assertEquals(Set.of(name), ChildRuns.tree(sandbox.tmp));
        assertTrue(Files.readString(sandbox.tmp.resolve(name)).startsWith("simcam-stereo-calibration 1\nsensors 2\n"));
    }
}
